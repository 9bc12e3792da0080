#include "common/QvException.h"
#include "snmpfw/EventProcessorWnd.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/FreePort.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SharedAgentTest.h"
#include "tests/support/SnmpdAgent.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kSysDescr = "1.3.6.1.2.1.1.1.0";
const char* const kSysUpTime = "1.3.6.1.2.1.1.3.0";
const UINT kGenerousMs = 15000;

struct Completion {
    int calls = 0;
    int reason = 0;
    int errorStatus = -1;
    std::vector<std::string> values;
    std::thread::id thread;
    bool sessionRunningInside = false;
};

void OnCompletion(int reason, Snmp*, Pdu& pdu, SnmpTarget&, void* data)
{
    Completion* completion = static_cast<Completion*>(data);
    ++completion->calls;
    completion->reason = reason;
    completion->errorStatus = pdu.get_error_status();
    completion->thread = std::this_thread::get_id();
    completion->sessionRunningInside = CSnmpSession::GetSnmp() != nullptr;
    for (int i = 0; i < pdu.get_vb_count(); ++i)
        completion->values.push_back(pdu.vb_at(i)->get_printable_value());
}

CTarget MakeTarget(unsigned short port, unsigned long timeout)
{
    UdpAddress address("127.0.0.1");
    address.set_port(port);
    CTarget target(address, OctetStr(krwtest::CSnmpdAgent::kReadCommunity),
                   OctetStr(krwtest::CSnmpdAgent::kReadCommunity));
    target.set_version(version2c);
    target.set_timeout(timeout);
    target.set_retry(0);
    return target;
}

Pdu MakeGet()
{
    Pdu pdu;
    pdu += Vb(Oid(kSysDescr));
    pdu += Vb(Oid(kSysUpTime));
    return pdu;
}

class SessionAsyncGetTest : public krwtest::CSharedAgentTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CSharedAgentTest::SetUp());
        folder = krwtest::MakeScratchFolder("krw-session-get-");
        ASSERT_FALSE(folder.empty());
    }

    void TearDown() override
    {
        CSnmpSession::Stop();
        krwtest::RemoveScratchFolder(folder);
    }

    void StartSession()
    {
        try {
            CSnmpSession::Start(CString(folder.c_str()), CString(""));
        } catch (CQVException* e) {
            ADD_FAILURE() << static_cast<const char*>(e->GetText());
            e->Delete();
        }
    }

    // A blocking round trip of another process to the same agent. The agent
    // answers in order, so once it is back our own answer has been sent too.
    static void WaitForTheAgentToAnswerEarlierRequests()
    {
        int status = -1;
        agent->Snmpget(kSysUpTime, &status);
        ASSERT_EQ(status, 0);
    }

    std::string folder;
};

// Must run before any session start of this process. A window processes
// the library's events from its Create to its StopTimer only: ticks that come
// to a stopped window process nothing.
TEST_F(SessionAsyncGetTest, TicksOfAStoppedWindowProcessNothing)
{
    ASSERT_EQ(CSnmpSession::GetSnmp(), nullptr);
    int status = -1;
    Snmp* own = new Snmp(status, 0);
    ASSERT_EQ(status, SNMP_CLASS_SUCCESS);

    Completion completion;
    Pdu pdu = MakeGet();
    ASSERT_EQ(own->get(pdu, MakeTarget(agent->Port(), 1000), OnCompletion, &completion), SNMP_CLASS_SUCCESS);
    WaitForTheAgentToAnswerEarlierRequests();

    CEventProcessorWnd processor;
    ASSERT_TRUE(processor.Create());
    processor.StopTimer();
    for (int i = 0; i < 10; ++i)
        ::PostMessage(processor.GetSafeHwnd(), WM_TIMER, 0, 0);
    MSG msg;
    for (int i = 0; i < 100 && ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
        ::DispatchMessage(&msg);
    EXPECT_EQ(completion.calls, 0) << "a stopped window processed events";

    // The library processes every Snmp object, so the answer waiting for our
    // own one arrives as soon as the session's window ticks.
    StartSession();
    EXPECT_TRUE(krwtest::RunMessagesUntil([&] { return completion.calls > 0; }, kGenerousMs));
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.reason, SNMP_CLASS_ASYNC_RESPONSE);
    delete own;
}

TEST_F(SessionAsyncGetTest, CompletesOnlyWhileThisThreadPumps)
{
    StartSession();
    ASSERT_NE(CSnmpSession::GetSnmp(), nullptr);

    Completion completion;
    Pdu pdu = MakeGet();
    ASSERT_EQ(CSnmpSession::GetSnmp()->get(pdu, MakeTarget(agent->Port(), 1000), OnCompletion, &completion),
              SNMP_CLASS_SUCCESS);
    WaitForTheAgentToAnswerEarlierRequests();
    EXPECT_EQ(completion.calls, 0) << "completed while the thread did not pump";

    ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return completion.calls > 0; }, kGenerousMs));
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.thread, std::this_thread::get_id());
    EXPECT_EQ(completion.reason, SNMP_CLASS_ASYNC_RESPONSE);
    EXPECT_EQ(completion.errorStatus, 0);
    ASSERT_EQ(completion.values.size(), 2u);
    EXPECT_FALSE(completion.values[0].empty());
    EXPECT_FALSE(completion.values[1].empty());
}

TEST_F(SessionAsyncGetTest, ResponseIsHandledWhenItArrivesWithoutWaitingForATick)
{
    StartSession();
    const HWND window = CSnmpSession::GetEventProcessor().GetSafeHwnd();
    // Without its timer the window can only learn of the answer from the
    // library's descriptor, which watches a request sent outside any pass.
    ASSERT_TRUE(::KillTimer(window, 0));
    Completion completion;
    Pdu pdu = MakeGet();
    ASSERT_EQ(CSnmpSession::GetSnmp()->get(pdu, MakeTarget(agent->Port(), 1000), OnCompletion, &completion),
              SNMP_CLASS_SUCCESS);
    int ticks = 0;
    ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return completion.calls > 0; }, kGenerousMs, window, &ticks));
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(completion.reason, SNMP_CLASS_ASYNC_RESPONSE);
}

struct Nesting {
    const krwtest::CSnmpdAgent* agent = nullptr;
    Completion own;
    Completion inner;
    const Completion* second = nullptr;
    int innerCallsInside = -1;
    int secondCallsInside = -1;
};

// Sends another request, waits until its answer is there to be read, then
// runs a nested message loop, as a request object's destructor does.
void RunNestedLoop(int reason, Snmp* session, Pdu& pdu, SnmpTarget& target, void* data)
{
    Nesting* nesting = static_cast<Nesting*>(data);
    OnCompletion(reason, session, pdu, target, &nesting->own);
    Pdu inner = MakeGet();
    EXPECT_EQ(session->get(inner, MakeTarget(nesting->agent->Port(), 1000), OnCompletion, &nesting->inner),
              SNMP_CLASS_SUCCESS);
    int status = -1;
    nesting->agent->Snmpget(kSysUpTime, &status);
    EXPECT_EQ(status, 0);
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 100, nullptr);
    MSG msg;
    while (::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == watchdog)
            break;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, watchdog);
    nesting->innerCallsInside = nesting->inner.calls;
    nesting->secondCallsInside = nesting->second->calls;
}

TEST_F(SessionAsyncGetTest, NestedMessageLoopInACompletionDoesNotProcessTheLibrarysEvents)
{
    StartSession();
    Completion second;
    Nesting nesting;
    nesting.agent = agent;
    nesting.second = &second;
    Pdu pdu = MakeGet();
    ASSERT_EQ(CSnmpSession::GetSnmp()->get(pdu, MakeTarget(agent->Port(), 1000), RunNestedLoop, &nesting),
              SNMP_CLASS_SUCCESS);
    ASSERT_EQ(CSnmpSession::GetSnmp()->get(pdu, MakeTarget(agent->Port(), 1000), OnCompletion, &second),
              SNMP_CLASS_SUCCESS);
    WaitForTheAgentToAnswerEarlierRequests();
    ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return second.calls > 0 && nesting.inner.calls > 0; }, kGenerousMs));
    // Neither the answer read in the same pass nor the one that arrived
    // during the nested loop was handed out inside it.
    EXPECT_EQ(nesting.own.calls, 1);
    EXPECT_EQ(nesting.secondCallsInside, 0);
    EXPECT_EQ(nesting.innerCallsInside, 0);
    EXPECT_EQ(second.reason, SNMP_CLASS_ASYNC_RESPONSE);
    EXPECT_EQ(nesting.inner.reason, SNMP_CLASS_ASYNC_RESPONSE);
}

TEST_F(SessionAsyncGetTest, StopCompletesAnOutstandingRequestAsSessionDestroyed)
{
    StartSession();
    const unsigned short silentPort = krwtest::FindFreeUdpPort();
    ASSERT_NE(silentPort, 0);

    Completion completion;
    Pdu pdu = MakeGet();
    ASSERT_EQ(CSnmpSession::GetSnmp()->get(pdu, MakeTarget(silentPort, 6000), OnCompletion, &completion),
              SNMP_CLASS_SUCCESS);
    // A few ticks with the request outstanding.
    int ticks = 0;
    const HWND window = CSnmpSession::GetEventProcessor().GetSafeHwnd();
    krwtest::RunMessagesUntil([&] { return ticks >= 3; }, kGenerousMs, window, &ticks);
    EXPECT_EQ(completion.calls, 0);

    CSnmpSession::Stop();
    EXPECT_EQ(completion.calls, 1);
    EXPECT_EQ(completion.reason, SNMP_CLASS_SESSION_DESTROYED);
    EXPECT_FALSE(completion.sessionRunningInside);
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
}

}  // namespace
