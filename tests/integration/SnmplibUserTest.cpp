#include "snmplib/SnmpLib.h"
#include "snmplib/netsnmp/NetSnmpEngine.h"
#include "tests/support/FreePort.h"
#include "tests/support/SharedAgentTest.h"
#include "tests/support/SnmpdAgent.h"
#include "tests/support/SnmplibPump.h"

#include <gtest/gtest.h>

using krwtest::CCompletion;
using krwtest::PduOf;
using krwtest::PumpUntil;
using krwtest::UserTarget;
using krwtest::ValueText;
using std::chrono::milliseconds;

namespace {

const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const char kSysLocation[] = "1.3.6.1.2.1.1.6.0";
const milliseconds kBound(15000);

class SnmplibUserTest : public krwtest::CSharedAgentSessionTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CSharedAgentSessionTest::SetUp());
        ASSERT_EQ(SNMPv3_MP_OK, mpInit(snmp.get(), "QvSNMP_PP_Application", 1));
    }

    void TearDown() override
    {
        snmp.reset();
        mpFinish();
    }

    // Blocking and asynchronous get of sysLocation.0; both must agree.
    int GetLocation(const char* user, int level, std::string* value, unsigned long timeout = 100)
    {
        UTarget target = UserTarget(agent->Port(), user, timeout, 1);
        Pdu blocking = PduOf({kSysLocation}, level);
        const int status = snmp->get(blocking, target);
        CCompletion done;
        Pdu pdu = PduOf({kSysLocation}, level);
        EXPECT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, target, krwtest::RecordCompletion, &done));
        EXPECT_TRUE(PumpUntil([&] { return done.calls > 0; }, kBound));
        if (status == SNMP_CLASS_SUCCESS) {
            EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
            EXPECT_EQ(0, done.pdu.get_error_status());
        } else if (status == SNMP_CLASS_TIMEOUT) {
            EXPECT_EQ(SNMP_CLASS_TIMEOUT, done.reason);
        } else {
            // A failure comes as the reason and as the response's error status alike.
            EXPECT_EQ(status, done.reason);
            EXPECT_EQ(status, done.pdu.get_error_status());
        }
        if (value)
            *value = ValueText(blocking, 0);
        return status;
    }
};

TEST_F(SnmplibUserTest, EverySecurityLevelAndTheStrongestProtocolsWork)
{
    struct Case {
        const char* user;
        long auth;
        long priv;
        const char* authPassword;
        const char* privPassword;
        int level;
    } cases[] = {
        {"noAuthUser", SNMP_AUTHPROTOCOL_NONE, SNMP_PRIVPROTOCOL_NONE, "", "", SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV},
        {"authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "authpassword1", "",
         SNMP_SECURITY_LEVEL_AUTH_NOPRIV},
        {"privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128, "authpassword1", "privpassword1",
         SNMP_SECURITY_LEVEL_AUTH_PRIV},
        {"strongUser", SNMP_AUTHPROTOCOL_HMAC384SHA512, SNMP_PRIVPROTOCOL_AES256, "authpassword2", "privpassword2",
         SNMP_SECURITY_LEVEL_AUTH_PRIV},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName(c.user, c.user, c.auth, c.priv, c.authPassword, c.privPassword));
        std::string value;
        EXPECT_EQ(SNMP_CLASS_SUCCESS, GetLocation(c.user, c.level, &value));
        EXPECT_EQ("krw-test-agent", value);
    }
}

TEST_F(SnmplibUserTest, SecurityFailuresGiveTheirOwnResults)
{
    struct Case {
        const char* what;
        const char* securityName;
        const char* userName;
        long priv;
        const char* authPassword;
        const char* privPassword;
        int level;
        int result;
    } cases[] = {
        {"wrong password", "wrongPassword", "authUser", SNMP_PRIVPROTOCOL_NONE, "not-the-password", "",
         SNMP_SECURITY_LEVEL_AUTH_NOPRIV, SNMPv3_USM_AUTHENTICATION_FAILURE},
        {"user unknown to the agent", "stranger", "stranger", SNMP_PRIVPROTOCOL_NONE, "authpassword1", "",
         SNMP_SECURITY_LEVEL_AUTH_NOPRIV, SNMPv3_USM_UNKNOWN_SECURITY_NAME},
        {"level the agent's user lacks", "privForAuthUser", "authUser", SNMP_PRIVPROTOCOL_AES128, "authpassword1",
         "privpassword1", SNMP_SECURITY_LEVEL_AUTH_PRIV, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
        // The agent drops what it cannot decrypt without a report.
        {"wrong privacy password", "wrongPrivacy", "privUser", SNMP_PRIVPROTOCOL_AES128, "authpassword1",
         "not-the-password", SNMP_SECURITY_LEVEL_AUTH_PRIV, SNMP_CLASS_TIMEOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName(c.securityName, c.userName, SNMP_AUTHPROTOCOL_HMACSHA, c.priv,
                                                c.authPassword, c.privPassword));
        EXPECT_EQ(c.result, GetLocation(c.securityName, c.level, nullptr, 20));
    }
}

TEST_F(SnmplibUserTest, RequestsTheUserTableCannotServeAreRefusedBeforeSending)
{
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("authOnly", "authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE,
                                            "authpassword1", ""));
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("shortPassword", "authUser", SNMP_AUTHPROTOCOL_HMACSHA,
                                            SNMP_PRIVPROTOCOL_NONE, "short", ""));
    struct Case {
        const char* what;
        const char* securityName;
        int level;
        int result;
    } cases[] = {
        {"never added", "nobody", SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV, SNMPv3_USM_UNKNOWN_SECURITY_NAME},
        {"no privacy protocol", "authOnly", SNMP_SECURITY_LEVEL_AUTH_PRIV, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
        {"no such level", "authOnly", 7, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
        {"password under eight characters", "shortPassword", SNMP_SECURITY_LEVEL_AUTH_NOPRIV,
         SNMPv3_USM_AUTHENTICATION_ERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CCompletion done;
        Pdu pdu = PduOf({kSysDescr}, c.level);
        UTarget target = UserTarget(agent->Port(), c.securityName);
        EXPECT_EQ(c.result, snmp->get(pdu, target, krwtest::RecordCompletion, &done));
        EXPECT_EQ(c.result, snmp->get(pdu, target));
        PumpUntil([] { return false; }, milliseconds(50));
        EXPECT_EQ(0, done.calls);
    }
    EXPECT_EQ(SNMPv3_USM_UNSUPPORTED_AUTHPROTOCOL, usmAddUserName("odd", 99, SNMP_PRIVPROTOCOL_NONE, "", ""));
    EXPECT_EQ(SNMPv3_USM_UNSUPPORTED_PRIVPROTOCOL,
              usmAddUserName("odd", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_3DESEDE, "authpassword1", "x"));
}

TEST_F(SnmplibUserTest, ChangedPasswordCountsFromTheNextRequest)
{
    const char* passwords[] = {"authpassword1", "wrong-password", "authpassword1"};
    const int results[] = {SNMP_CLASS_SUCCESS, SNMPv3_USM_AUTHENTICATION_FAILURE, SNMP_CLASS_SUCCESS};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(passwords[i]);
        ASSERT_EQ(SNMPv3_USM_OK,
                  usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, passwords[i], ""));
        EXPECT_EQ(results[i], GetLocation("authUser", SNMP_SECURITY_LEVEL_AUTH_NOPRIV, nullptr));
    }
}

TEST_F(SnmplibUserTest, AsyncRequestToASilentAgentDoesNotBlockTheSender)
{
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "privpassword1"));
    const unsigned short silent = krwtest::FindFreeUdpPort();
    const unsigned long timeout = 50;
    const int retries = 1;
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr}, SNMP_SECURITY_LEVEL_AUTH_PRIV);
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(SNMP_CLASS_SUCCESS,
              snmp->get(pdu, UserTarget(silent, "privUser", timeout, retries), krwtest::RecordCompletion, &done));
    const auto sendTook = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - before);
    // Discovering the engine inside the send would take every attempt's time-out.
    EXPECT_LT(sendTook.count(), static_cast<long>(timeout * 10));
    EXPECT_EQ(0, done.calls);
    ASSERT_TRUE(PumpUntil([&] { return done.calls > 0; }, kBound));
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, done.reason);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(done.when - before);
    EXPECT_GE(elapsed.count(), static_cast<long>((retries + 1) * timeout * 10) - 20);
}

TEST_F(SnmplibUserTest, FinishingMessageProcessingEndsOutstandingRequests)
{
    ASSERT_EQ(SNMPv3_USM_OK,
              usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "authpassword1", ""));
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr}, SNMP_SECURITY_LEVEL_AUTH_NOPRIV);
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, UserTarget(krwtest::FindFreeUdpPort(), "authUser", 500, 1),
                                            krwtest::RecordCompletion, &done));
    mpFinish();
    EXPECT_EQ(1, done.calls);
    EXPECT_EQ(SNMP_CLASS_SESSION_DESTROYED, done.reason);

    // Users are forgotten with it; the session itself goes on working.
    Pdu again = PduOf({kSysLocation}, SNMP_SECURITY_LEVEL_AUTH_NOPRIV);
    EXPECT_EQ(SNMPv3_USM_UNKNOWN_SECURITY_NAME, snmp->get(again, UserTarget(agent->Port(), "authUser")));
    EXPECT_EQ(SNMPv3_MP_OK, mpInit(snmp.get(), "QvSNMP_PP_Application", 2));
    ASSERT_EQ(SNMPv3_USM_OK,
              usmAddUserName("authUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_NONE, "authpassword1", ""));
    EXPECT_EQ(SNMP_CLASS_SUCCESS, snmp->get(again, UserTarget(agent->Port(), "authUser")));
    EXPECT_EQ("krw-test-agent", ValueText(again, 0));
    EXPECT_EQ(1, done.calls);
}

// Turning a password into a key is the slow step (a million octets hashed);
// it is done once per credential set, not once per agent.
TEST_F(SnmplibUserTest, PasswordsBecomeKeysOncePerCredentialSet)
{
    const int before = CNetSnmpEngine::Instance().Users().Derivations();
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "privpassword1"));
    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("samePasswords", "privUser", SNMP_AUTHPROTOCOL_HMACSHA,
                                            SNMP_PRIVPROTOCOL_AES128, "authpassword1", "privpassword1"));
    std::vector<CCompletion> done(30);
    for (size_t i = 0; i < done.size(); ++i) {
        Pdu pdu = PduOf({kSysDescr}, SNMP_SECURITY_LEVEL_AUTH_PRIV);
        const unsigned short port = static_cast<unsigned short>(41000 + i);
        const char* name = i % 2 ? "privUser" : "samePasswords";
        ASSERT_EQ(SNMP_CLASS_SUCCESS,
                  snmp->get(pdu, UserTarget(port, name, 1, 0), krwtest::RecordCompletion, &done[i]));
    }
    ASSERT_TRUE(PumpUntil([&] { return done.back().calls > 0; }, kBound));
    ASSERT_EQ(SNMP_CLASS_SUCCESS, GetLocation("privUser", SNMP_SECURITY_LEVEL_AUTH_PRIV, nullptr));
    EXPECT_EQ(before + 1, CNetSnmpEngine::Instance().Users().Derivations());
}

TEST_F(SnmplibUserTest, KnownEngineIdentifierIsUsedWithoutDiscovery)
{
    Pdu engine = PduOf({"1.3.6.1.6.3.10.2.1.1.0"});  // snmpEngineID
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(engine, krwtest::CommunityTarget(agent->Port(), version2c)));
    OctetStr engineId;
    ASSERT_EQ(SNMP_CLASS_SUCCESS, engine.vb_at(0)->get_value(engineId));
    ASSERT_GT(engineId.len(), 4UL);

    ASSERT_EQ(SNMPv3_USM_OK, usmAddUserName("privUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128,
                                            "authpassword1", "privpassword1"));
    UTarget target = UserTarget(agent->Port(), "privUser");
    target.set_engine_id(engineId);
    CCompletion done;
    Pdu pdu = PduOf({kSysLocation}, SNMP_SECURITY_LEVEL_AUTH_PRIV);
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, target, krwtest::RecordCompletion, &done));
    ASSERT_TRUE(PumpUntil([&] { return done.calls > 0; }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
    EXPECT_EQ("krw-test-agent", ValueText(done.pdu, 0));
}

}  // namespace
