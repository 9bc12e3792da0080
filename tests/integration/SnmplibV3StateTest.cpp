#include "snmplib/SnmpLib.h"
#include "tests/support/FreePort.h"
#include "tests/support/SnmpdAgent.h"
#include "tests/support/SnmplibPump.h"

#include <gtest/gtest.h>

#include <memory>

using krwtest::AgentState;
using krwtest::CCompletion;
using krwtest::PduOf;
using krwtest::PumpUntil;
using krwtest::UserTarget;
using krwtest::ValueText;
using std::chrono::milliseconds;

namespace {

const char kSysLocation[] = "1.3.6.1.2.1.1.6.0";
const char kEngineIdOid[] = "1.3.6.1.6.3.10.2.1.1.0";
const milliseconds kBound(15000);
const int kAuth = SNMP_SECURITY_LEVEL_AUTH_NOPRIV;
const int kPriv = SNMP_SECURITY_LEVEL_AUTH_PRIV;

// SNMPv3 state that has to follow the agent and the credentials: each test
// has an agent of its own, restarted as a device is rebooted or reset.
class SnmplibV3StateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int status = SNMP_CLASS_ERROR;
        snmp = std::make_unique<Snmp>(status);
        ASSERT_EQ(SNMP_CLASS_SUCCESS, status);
        ASSERT_EQ(SNMPv3_MP_OK, mpInit(snmp.get(), "QvSNMP_PP_Application", 1));
        ASSERT_EQ(SNMPv3_USM_OK,
                  usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "authpassword1", ""));
    }

    void TearDown() override
    {
        snmp.reset();
        mpFinish();
    }

    void StartAgent(const std::string& engineId = std::string())
    {
        agent.SetEngineId(engineId);
        std::string error;
        ASSERT_TRUE(agent.Start(&error)) << error;
    }

    void RestartAgent(AgentState state)
    {
        std::string error;
        ASSERT_TRUE(agent.Restart(state, &error)) << error;
    }

    std::string AgentEngineId() { return agent.Snmpget(kEngineIdOid); }

    int BlockingGet(const char* user, int level = kAuth, unsigned long timeout = 50)
    {
        Pdu pdu = PduOf({kSysLocation}, level);
        return snmp->get(pdu, UserTarget(agent.Port(), user, timeout, 0));
    }

    void SendGet(const char* user, CCompletion* done, int level = kAuth, unsigned long timeout = 50)
    {
        Pdu pdu = PduOf({kSysLocation}, level);
        ASSERT_EQ(SNMP_CLASS_SUCCESS,
                  snmp->get(pdu, UserTarget(agent.Port(), user, timeout, 0), krwtest::RecordCompletion, done));
    }

    // The result of an asynchronous get as the blocking calls give theirs.
    int AsyncGet(const char* user, int level = kAuth, unsigned long timeout = 50)
    {
        CCompletion done;
        SendGet(user, &done, level, timeout);
        EXPECT_TRUE(PumpUntil([&] { return done.calls > 0; }, kBound));
        return ResultOf(done);
    }

    static int ResultOf(const CCompletion& done)
    {
        return done.reason == SNMP_CLASS_ASYNC_RESPONSE ? done.pdu.get_error_status() : done.reason;
    }

    // A poll every few seconds, as a manager keeps polling a device: after
    // the device comes back, the first poll may fail, the second must not.
    // Returns the first poll's result.
    int ExpectRecoveryWithinTwoPolls(bool blocking)
    {
        const int first = blocking ? BlockingGet("authUser") : AsyncGet("authUser");
        const int second = blocking ? BlockingGet("authUser") : AsyncGet("authUser");
        EXPECT_EQ(SNMP_CLASS_SUCCESS, second) << "first poll: " << first;
        return first;
    }

    krwtest::CSnmpdAgent agent;
    std::unique_ptr<Snmp> snmp;
};

TEST_F(SnmplibV3StateTest, AgentWithANewEngineIdentifierIsFoundAgain)
{
    ASSERT_NO_FATAL_FAILURE(StartAgent());
    for (bool blocking : {false, true}) {
        SCOPED_TRACE(blocking ? "blocking" : "asynchronous");
        ASSERT_EQ(SNMP_CLASS_SUCCESS, blocking ? BlockingGet("authUser") : AsyncGet("authUser"));
        const std::string before = AgentEngineId();
        ASSERT_NO_FATAL_FAILURE(RestartAgent(AgentState::wiped));
        ASSERT_NE(before, AgentEngineId());
        ExpectRecoveryWithinTwoPolls(blocking);
    }
}

TEST_F(SnmplibV3StateTest, TimeWindowFollowsTheAgentsBootsUpAndDown)
{
    ASSERT_NO_FATAL_FAILURE(StartAgent("krw-fixed-engine"));
    const std::string engine = AgentEngineId();
    for (bool blocking : {false, true}) {
        SCOPED_TRACE(blocking ? "blocking" : "asynchronous");
        ASSERT_EQ(SNMP_CLASS_SUCCESS, blocking ? BlockingGet("authUser") : AsyncGet("authUser"));
        // A reboot counts its engine boots up; a reset of its state starts
        // them from 1 again under the same engine identifier.
        for (AgentState state : {AgentState::kept, AgentState::kept, AgentState::wiped}) {
            ASSERT_NO_FATAL_FAILURE(RestartAgent(state));
            ASSERT_EQ(engine, AgentEngineId());
            const int first = ExpectRecoveryWithinTwoPolls(blocking);
            // Fewer boots than before are refused (RFC 3414, 3.2.7): the
            // first poll says so rather than that nobody answered.
            if (state == AgentState::wiped) {
                EXPECT_TRUE(first == SNMP_CLASS_SUCCESS || first == SNMPv3_USM_NOT_IN_TIME_WINDOW) << first;
            }
        }
    }
}

TEST_F(SnmplibV3StateTest, RequestsWaitingForDiscoveryEndAfterTheirOwnTimeOut)
{
    // Nothing listens there; a responder would answer the discovery itself.
    const unsigned short silent = krwtest::FindFreeUdpPort();
    const unsigned long shortTimeout = 10;
    const unsigned long longTimeout = 150;
    for (bool shortFirst : {true, false}) {
        SCOPED_TRACE(shortFirst ? "short first" : "long first");
        CCompletion shortDone;
        CCompletion longDone;
        Pdu pdu = PduOf({kSysLocation}, kAuth);
        const auto sent = std::chrono::steady_clock::now();
        for (int i = 0; i < 2; ++i) {
            const bool isShort = (i == 0) == shortFirst;
            CCompletion* done = isShort ? &shortDone : &longDone;
            const UTarget target = UserTarget(silent, "authUser", isShort ? shortTimeout : longTimeout, 0);
            ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, target, krwtest::RecordCompletion, done));
        }
        ASSERT_TRUE(PumpUntil([&] { return shortDone.calls > 0; }, kBound));
        EXPECT_EQ(0, longDone.calls);
        ASSERT_TRUE(PumpUntil([&] { return longDone.calls > 0; }, kBound));
        EXPECT_EQ(SNMP_CLASS_TIMEOUT, shortDone.reason);
        EXPECT_EQ(SNMP_CLASS_TIMEOUT, longDone.reason);
        EXPECT_GE(std::chrono::duration_cast<milliseconds>(longDone.when - sent).count(),
                  static_cast<long>(longTimeout * 10));
    }
}

TEST_F(SnmplibV3StateTest, RightPasswordAfterAWrongOneWorksFromTheNextRequest)
{
    ASSERT_NO_FATAL_FAILURE(StartAgent());
    ASSERT_EQ(SNMPv3_USM_OK,
              usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "wrong-password", ""));
    CCompletion wrong;
    SendGet("authUser", &wrong);
    ASSERT_EQ(SNMPv3_USM_OK,
              usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "authpassword1", ""));
    CCompletion right;
    SendGet("authUser", &right);
    ASSERT_TRUE(PumpUntil([&] { return wrong.calls > 0 && right.calls > 0; }, kBound));
    EXPECT_EQ(SNMPv3_USM_AUTHENTICATION_FAILURE, ResultOf(wrong));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, ResultOf(right));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, AsyncGet("authUser"));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, BlockingGet("authUser"));
}

TEST_F(SnmplibV3StateTest, SecurityNamesOfOneUserKeepTheirOwnKeys)
{
    ASSERT_NO_FATAL_FAILURE(StartAgent());
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("rightName", "authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE,
                                            "authpassword1", ""));
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("wrongName", "authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE,
                                            "wrong-password", ""));
    for (const char* first : {"wrongName", "rightName"}) {
        SCOPED_TRACE(first);
        const bool wrongFirst = std::string(first) == "wrongName";
        CCompletion done[4];
        for (int i = 0; i < 4; ++i)
            SendGet((i % 2 == 0) == wrongFirst ? "wrongName" : "rightName", &done[i]);
        ASSERT_TRUE(
            PumpUntil([&] { return done[0].calls && done[1].calls && done[2].calls && done[3].calls; }, kBound));
        for (int i = 0; i < 4; ++i) {
            const bool wrong = (i % 2 == 0) == wrongFirst;
            EXPECT_EQ(wrong ? SNMPv3_USM_AUTHENTICATION_FAILURE : SNMP_CLASS_SUCCESS, ResultOf(done[i])) << i;
        }
        EXPECT_EQ(SNMP_CLASS_SUCCESS, BlockingGet("rightName"));
        EXPECT_EQ(SNMPv3_USM_AUTHENTICATION_FAILURE, BlockingGet("wrongName"));
    }
}

TEST_F(SnmplibV3StateTest, ResponseOnItsWayWhenTheCredentialsChangeIsStillRead)
{
    ASSERT_NO_FATAL_FAILURE(StartAgent());
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "privpassword1"));
    ASSERT_EQ(SNMP_CLASS_SUCCESS, AsyncGet("privUser", kPriv));
    CCompletion inFlight;
    SendGet("privUser", &inFlight, kPriv);
    ASSERT_TRUE(krwtest::WaitForDatagram(kBound));
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "another-privacy-password"));
    ASSERT_TRUE(PumpUntil([&] { return inFlight.calls > 0; }, kBound));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, ResultOf(inFlight));
    EXPECT_EQ("krw-test-agent", ValueText(inFlight.pdu, 0));
    // Later requests use the new keys: the agent cannot decrypt them, and
    // drops them, until the password is the agent's again.
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, AsyncGet("privUser", kPriv, 20));
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "privpassword1"));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, AsyncGet("privUser", kPriv));
}

}  // namespace
