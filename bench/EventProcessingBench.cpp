// How fast answers come back through the library and its event processing,
// against Net-SNMP itself in the same run and against the same agent (a
// local snmpd):
//
// - a chain of asynchronous gets, each sent from the previous one's
//   completion as a table walk does: Net-SNMP with a poll loop on its
//   socket, the session's event processor driven by the thread's message
//   loop, and a window that only has the 20 ms timer;
// - blocking gets: Net-SNMP's snmp_sess_synch_response and Snmp::get;
// - the first SNMPv3 send to each of 30 new agents (none answers): how long
//   the sender is held.
//
// Goals: the event processor within 1.2x of Net-SNMP's time per request,
// the blocking get within 1.1x. Usage: event-processing-bench [requests]

#include "platform/Afx.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"
#include "snmplib/netsnmp/NetSnmp.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/SnmpdAgent.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <poll.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const oid kSysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const char kSysUpTimeText[] = "1.3.6.1.2.1.1.3.0";
const int kRounds = 3;
const int kTimerRequests = 50;
const int kNewAgents = 30;
const UINT kWatchdogMs = 120000;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Net-SNMP alone: one session, each answer's callback sends the next get.
class CPeer {
public:
    explicit CPeer(unsigned short port)
    {
        netsnmp_session settings;
        snmp_sess_init(&settings);
        const std::string peer = "udp:127.0.0.1:" + std::to_string(port);
        settings.peername = const_cast<char*>(peer.c_str());
        settings.version = SNMP_VERSION_2c;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>("public"));
        settings.community_len = 6;
        settings.timeout = 1000000;
        settings.retries = 1;
        handle = snmp_sess_open(&settings);
    }

    ~CPeer()
    {
        if (handle)
            snmp_sess_close(handle);
    }

    bool Open() const { return handle != nullptr; }

    double Chain(int requests)
    {
        left = requests;
        const auto start = Clock::now();
        SendNext();
        const int fd = snmp_sess_transport(handle)->sock;
        netsnmp_large_fd_set fds;
        netsnmp_large_fd_set_init(&fds, fd + 1);
        while (left > 0 && Since(start) < 60) {
            pollfd watch{fd, POLLIN, 0};
            if (poll(&watch, 1, 20) > 0) {
                NETSNMP_LARGE_FD_SET(fd, &fds);
                snmp_sess_read2(handle, &fds);
            } else {
                snmp_sess_timeout(handle);
            }
        }
        netsnmp_large_fd_set_cleanup(&fds);
        return Since(start);
    }

    double Blocking(int requests)
    {
        const auto start = Clock::now();
        for (int i = 0; i < requests; ++i) {
            netsnmp_pdu* response = nullptr;
            if (snmp_sess_synch_response(handle, Get(), &response) == STAT_SUCCESS)
                snmp_free_pdu(response);
        }
        return Since(start);
    }

private:
    static netsnmp_pdu* Get()
    {
        netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(pdu, kSysUpTime, OID_LENGTH(kSysUpTime));
        return pdu;
    }

    static int OnAnswer(int op, netsnmp_session*, int, netsnmp_pdu*, void* magic)
    {
        CPeer* self = static_cast<CPeer*>(magic);
        if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE && --self->left > 0)
            self->SendNext();
        return 1;
    }

    void SendNext()
    {
        netsnmp_pdu* pdu = Get();
        if (!snmp_sess_async_send(handle, pdu, &CPeer::OnAnswer, this))
            snmp_free_pdu(pdu);
    }

    void* handle = nullptr;
    int left = 0;
};

CTarget AgentTarget(unsigned short port)
{
    UdpAddress address("127.0.0.1");
    address.set_port(port);
    CTarget target(address, "public", "public");
    target.set_version(version2c);
    target.set_timeout(100);
    target.set_retry(1);
    return target;
}

// The library's side of a chain: every completion sends the next get.
struct CChain {
    Snmp* snmp = nullptr;
    CTarget target;
    int left = 0;

    static void OnAnswer(int, Snmp*, Pdu&, SnmpTarget&, void* data)
    {
        CChain* chain = static_cast<CChain*>(data);
        if (--chain->left > 0)
            chain->SendNext();
    }

    void SendNext()
    {
        Pdu pdu;
        pdu += Vb(Oid(kSysUpTimeText));
        snmp->get(pdu, target, &CChain::OnAnswer, this);
    }
};

// The thread's message loop until done() holds (bounded).
void RunMessageLoop(const std::function<bool()>& done)
{
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, kWatchdogMs, nullptr);
    MSG msg;
    while (!done() && ::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == watchdog)
            break;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, watchdog);
}

double ChainThroughMessageLoop(Snmp* snmp, unsigned short port, int requests)
{
    CChain chain{snmp, AgentTarget(port), requests};
    const auto start = Clock::now();
    chain.SendNext();
    RunMessageLoop([&] { return chain.left <= 0; });
    return Since(start);
}

// What the event processor was before it watched the library's descriptor.
class CTimerOnlyWnd : public CWnd {
public:
    BOOL Create()
    {
        if (!CreateEx(0, AfxRegisterWndClass(0), "timer only", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
            return FALSE;
        return SetTimer(0, 20, nullptr) != 0;
    }

protected:
    afx_msg void OnTimer(UINT_PTR) override { SNMPProcessPendingEvents(); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTimerOnlyWnd, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

double BlockingGets(Snmp* snmp, unsigned short port, int requests)
{
    const CTarget target = AgentTarget(port);
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        Pdu pdu;
        pdu += Vb(Oid(kSysUpTimeText));
        snmp->get(pdu, target);
    }
    return Since(start);
}

void NoteCompletion(int, Snmp*, Pdu&, SnmpTarget&, void*) {}

// How long the first SNMPv3 send to each new agent holds the sender.
std::vector<double> FirstSendsToNewAgents(Snmp* snmp)
{
    usmAddUserName("benchUser", SNMP_AUTHPROTOCOL_HMACSHA, SNMP_PRIVPROTOCOL_AES128, "bench-auth-password",
                   "bench-priv-password");
    std::vector<double> seconds;
    for (int i = 0; i < kNewAgents; ++i) {
        UdpAddress address(("127.0.2." + std::to_string(i + 1)).c_str());
        address.set_port(161);
        UTarget target(address, "benchUser", SNMP_SECURITY_MODEL_USM);
        target.set_timeout(10);
        target.set_retry(0);
        Pdu pdu;
        pdu += Vb(Oid(kSysUpTimeText));
        pdu.set_security_level(SNMP_SECURITY_LEVEL_AUTH_PRIV);
        const auto start = Clock::now();
        snmp->get(pdu, target, NoteCompletion, nullptr);
        seconds.push_back(Since(start));
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds;
}

void Print(const char* what, int requests, double seconds, double peerSeconds)
{
    printf("  %-38s %9.0f requests/s  %8.1f us each", what, requests / seconds, seconds / requests * 1e6);
    if (peerSeconds > 0)
        printf("  %6.2fx Net-SNMP", seconds / peerSeconds);
    printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const int requests = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    krwtest::CSnmpdAgent agent;
    std::string error;
    if (!agent.Start(&error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const auto folder = krwtest::MakeScratchFolder("krw-bench-");
    CSnmpSession::Start(CString(folder.c_str()), CString(""));
    CPeer peer(agent.Port());
    if (!peer.Open() || CSnmpSession::GetSnmp() == nullptr) {
        fprintf(stderr, "cannot open the sessions\n");
        return 1;
    }

    double peerChain = 1e9, adapterChain = 1e9, peerBlocking = 1e9, adapterBlocking = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        peerChain = std::min(peerChain, peer.Chain(requests));
        adapterChain = std::min(adapterChain, ChainThroughMessageLoop(CSnmpSession::GetSnmp(), agent.Port(), requests));
        peerBlocking = std::min(peerBlocking, peer.Blocking(requests));
        adapterBlocking = std::min(adapterBlocking, BlockingGets(CSnmpSession::GetSnmp(), agent.Port(), requests));
    }
    const std::vector<double> sends = FirstSendsToNewAgents(CSnmpSession::GetSnmp());
    CSnmpSession::Stop();

    // The timer alone, with the session's window no longer watching.
    int status = 0;
    Snmp timerSnmp(status);
    CTimerOnlyWnd timerOnly;
    timerOnly.Create();
    const double timerChain = ChainThroughMessageLoop(&timerSnmp, agent.Port(), kTimerRequests);
    timerOnly.DestroyWindow();

    printf("chain of asynchronous gets, each sent from the previous completion (best of %d):\n", kRounds);
    Print("Net-SNMP, poll loop", requests, peerChain, 0);
    Print("event processor, message loop", requests, adapterChain, peerChain);
    Print("20 ms timer alone", kTimerRequests, timerChain, peerChain / requests * kTimerRequests);
    printf("blocking gets (best of %d):\n", kRounds);
    Print("Net-SNMP, snmp_sess_synch_response", requests, peerBlocking, 0);
    Print("Snmp::get", requests, adapterBlocking, peerBlocking);
    printf("first SNMPv3 send to each of %d new agents: median %.3f ms, maximum %.3f ms\n", kNewAgents,
           sends[sends.size() / 2] * 1e3, sends.back() * 1e3);
    krwtest::RemoveScratchFolder(folder);
    return 0;
}
