#include "snmplib/SnmpLib.h"
#include "tests/support/ScriptedResponder.h"
#include "tests/support/SnmplibPump.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

using krwtest::CCompletion;
using krwtest::CommunityTarget;
using krwtest::PduOf;
using krwtest::PumpUntil;
using std::chrono::milliseconds;

namespace {

const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const milliseconds kBound(10000);

// Answers of agents that no well-behaved agent gives, each from a responder
// of its own, through a blocking and an asynchronous get alike.
class SnmplibOddResponsesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        int status = SNMP_CLASS_ERROR;
        snmp = std::make_unique<Snmp>(status);
        ASSERT_EQ(SNMP_CLASS_SUCCESS, status);
    }

    std::unique_ptr<krwtest::CScriptedResponder> Responder(std::vector<std::string> script)
    {
        auto responder = std::make_unique<krwtest::CScriptedResponder>(std::move(script));
        std::string error;
        EXPECT_TRUE(responder->Start(&error)) << error;
        return responder;
    }

    // Result of a blocking get and the completion of an asynchronous one.
    int Get(unsigned short port, CCompletion* done, Pdu* blockingPdu = nullptr, unsigned long timeout = 100)
    {
        const CTarget target = CommunityTarget(port, version2c, timeout, 0);
        Pdu blocking = PduOf({kSysDescr});
        const int status = snmp->get(blocking, target);
        Pdu pdu = PduOf({kSysDescr});
        EXPECT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, target, krwtest::RecordCompletion, done));
        EXPECT_TRUE(PumpUntil([&] { return done->calls > 0; }, kBound));
        if (blockingPdu)
            *blockingPdu = blocking;
        return status;
    }

    std::unique_ptr<Snmp> snmp;
};

TEST_F(SnmplibOddResponsesTest, ErrorStatusOutsideTheProtocolsRangeIsAGeneralError)
{
    struct Case {
        long sent;
        int read;
    } cases[] = {
        {1, 1},
        {18, 18},
        {19, SNMP_ERROR_GENERAL_VB_ERR},
        {99, SNMP_ERROR_GENERAL_VB_ERR},
        {LONG_MAX, SNMP_ERROR_GENERAL_VB_ERR},
        {INT_MAX, SNMP_ERROR_GENERAL_VB_ERR},
        {-5, SNMP_ERROR_GENERAL_VB_ERR},
        {-2, SNMP_ERROR_GENERAL_VB_ERR},  // the responder cannot send -1: Net-SNMP writes it as 0
        {INT_MIN, SNMP_ERROR_GENERAL_VB_ERR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        auto responder = Responder({"--error-status", std::to_string(c.sent)});
        CCompletion done;
        EXPECT_EQ(c.read, Get(responder->Port(), &done));
        EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
        EXPECT_EQ(c.read, done.pdu.get_error_status());
    }
}

TEST_F(SnmplibOddResponsesTest, ResponseWithMoreBindingsThanAPduHoldsFails)
{
    struct Case {
        int bindings;
        int result;
    } cases[] = {{PDU_MAX_VBS, SNMP_CLASS_SUCCESS},
                 {PDU_MAX_VBS + 1, SNMP_CLASS_INVALID_PDU},
                 {1000, SNMP_CLASS_INVALID_PDU}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bindings);
        auto responder = Responder({"--bindings", std::to_string(c.bindings)});
        CCompletion done;
        Pdu blocking;
        EXPECT_EQ(c.result, Get(responder->Port(), &done, &blocking));
        if (c.result == SNMP_CLASS_SUCCESS) {
            EXPECT_EQ(c.bindings, blocking.get_vb_count());
            EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
            EXPECT_EQ(c.bindings, done.pdu.get_vb_count());
        } else {
            EXPECT_EQ(c.result, done.reason);
            EXPECT_EQ(c.result, done.pdu.get_error_status());
        }
    }
}

TEST_F(SnmplibOddResponsesTest, UndecodableAnswerIsDroppedWithoutAWordOnStandardError)
{
    auto responder = Responder({"--bad-type"});
    testing::internal::CaptureStderr();
    CCompletion done;
    const int status = Get(responder->Port(), &done, nullptr, 20);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, status);
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, done.reason);
    EXPECT_EQ("", printed);
}

// Answers twice, late or for another request: the request still ends
// exactly once, and what comes after its end changes nothing. A second
// request with time to spare is answered after the strays of the first
// (the responder answers in order), so once it is back they have been read.
TEST_F(SnmplibOddResponsesTest, StrayAnswersEndTheRequestOnceAndNoMore)
{
    struct Case {
        std::vector<std::string> script;
        int reason;
    } cases[] = {
        {{"--copies", "2"}, SNMP_CLASS_ASYNC_RESPONSE},
        {{"--delay", "200"}, SNMP_CLASS_TIMEOUT},
        {{"--request-id-offset", "1"}, SNMP_CLASS_TIMEOUT},
        {{"--report", "1.3.6.1.6.3.15.1.1.5.0"}, SNMPv3_USM_AUTHENTICATION_FAILURE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.front());
        auto responder = Responder(c.script);
        CCompletion done;
        CCompletion after;
        Pdu pdu = PduOf({kSysDescr});
        ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, CommunityTarget(responder->Port(), version2c, 10, 0),
                                                krwtest::RecordCompletion, &done));
        ASSERT_TRUE(PumpUntil([&] { return done.calls > 0; }, kBound));
        EXPECT_EQ(c.reason, done.reason);
        ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, CommunityTarget(responder->Port(), version2c, 100, 0),
                                                krwtest::RecordCompletion, &after));
        ASSERT_TRUE(PumpUntil([&] { return after.calls > 0; }, kBound));
        EXPECT_EQ(1, done.calls);
    }
}

struct Resend {
    Snmp* snmp = nullptr;
    unsigned short port = 0;
    int calls = 0;
    int reason = 0;
    int resent = SNMP_CLASS_SUCCESS;
    CCompletion again;
};

void SendAgainWhenEnded(int reason, Snmp* session, Pdu&, SnmpTarget&, void* data)
{
    Resend* resend = static_cast<Resend*>(data);
    ++resend->calls;
    resend->reason = reason;
    Pdu pdu = PduOf({kSysDescr});
    resend->resent =
        session->get(pdu, CommunityTarget(resend->port, version2c, 20, 0), krwtest::RecordCompletion, &resend->again);
}

TEST_F(SnmplibOddResponsesTest, FinishingMessageProcessingRefusesWhatItsCompletionsSend)
{
    auto responder = Responder({"--silent"});
    ASSERT_EQ(SNMPv3_MP_OK, mpInit(snmp.get(), "QvSNMP_PP_Application", 1));
    Resend resend;
    resend.snmp = snmp.get();
    resend.port = responder->Port();
    Pdu pdu = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS,
              snmp->get(pdu, CommunityTarget(responder->Port(), version2c, 100, 0), SendAgainWhenEnded, &resend));
    mpFinish();
    EXPECT_EQ(1, resend.calls);
    EXPECT_EQ(SNMP_CLASS_SESSION_DESTROYED, resend.reason);
    EXPECT_EQ(SNMP_CLASS_SESSION_DESTROYED, resend.resent);
    PumpUntil([] { return false; }, milliseconds(100));
    EXPECT_EQ(0, resend.again.calls);

    // Afterwards the Snmp object serves requests again.
    CCompletion done;
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, Get(responder->Port(), &done, nullptr, 5));
}

}  // namespace
