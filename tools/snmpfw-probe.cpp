// snmpfw-probe <host> <port> <community>
//
// Starts the framework's session, asks one agent for sysDescr.0 and
// sysUpTime.0 with an asynchronous SNMPv2c get, runs this thread's message
// loop until the answer arrives (or a bounded wait is over), prints the values
// or the catalogue text of the failure and stops the session again.
// Exit code 0 when the agent answered without error.

#include "common/QvCatalog.h"
#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/SnmpStatus.h"
#include "common/TextToValue.h"
#include "platform/Afx.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kQueriedOids[] = {"1.3.6.1.2.1.1.1.0", "1.3.6.1.2.1.1.3.0"};

struct ProbeAnswer {
    bool done = false;
    bool ok = false;
    // Set when the wait is over: the completion that stopping the session
    // still delivers is then not reported a second time.
    bool abandoned = false;
};

void PrintStatus(int nStatus)
{
    int nCode = 0;
    CString strText;
    TranslateSnmpStatus(nStatus, nCode, strText);
    std::fprintf(stderr, "%s\n", static_cast<const char*>(strText));
}

void OnAnswer(int reason, Snmp*, Pdu& pdu, SnmpTarget&, void* data)
{
    ProbeAnswer* answer = static_cast<ProbeAnswer*>(data);
    if (answer->abandoned)
        return;
    answer->done = true;
    if (reason != SNMP_CLASS_ASYNC_RESPONSE) {
        PrintStatus(reason);
        return;
    }
    if (pdu.get_error_status() != 0) {
        PrintStatus(pdu.get_error_status());
        return;
    }
    for (int i = 0; i < pdu.get_vb_count(); ++i) {
        const Vb* vb = pdu.vb_at(i);
        std::printf("%s = %s\n", vb->get_printable_oid(), vb->get_printable_value());
    }
    answer->ok = true;
}

// Parses the whole text as a port number 1..65535; 0 when it is not one.
unsigned short ParsePort(const char* text)
{
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || port < 1 || port > 65535)
        return 0;
    return static_cast<unsigned short>(port);
}

bool StartSession()
{
    char directory[MAX_PATH + 1] = "";
    const DWORD length = GetTempPathA(sizeof(directory), directory);
    if (length == 0 || length >= sizeof(directory))
        directory[0] = '\0';
    try {
        CSnmpSession::Start(CString(directory), CString(""));
        return true;
    } catch (CQVException* e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e->GetText()));
        e->Delete();
        return false;
    }
}

CTarget MakeTarget(const UdpAddress& address, const char* community)
{
    const CSnmpTargetParams& defaults = CSnmpSession::GetDefaultTargetParams();
    CTarget target(address, OctetStrFromText(community), OctetStrFromText(community));
    target.set_version(version2c);
    target.set_timeout(static_cast<unsigned long>(defaults.timeout));
    target.set_retry(1);
    return target;
}

// Runs the message loop until the answer came or waitMs have passed.
void PumpUntilAnswered(const ProbeAnswer& answer, UINT waitMs)
{
    const UINT_PTR guard = ::SetTimer(nullptr, 0, waitMs, nullptr);
    MSG msg;
    while (!answer.done && ::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == guard)
            break;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, guard);
}

int Probe(const char* host, unsigned short port, const char* community, ProbeAnswer& answer)
{
    UdpAddress address(host);
    if (!address.valid()) {
        std::fprintf(stderr, "%s\n", QvErrorText(QV_ERR_INVALID_ADDRESS));
        return 1;
    }
    address.set_port(port);
    const CTarget target = MakeTarget(address, community);

    Pdu pdu;
    for (const char* oid : kQueriedOids)
        pdu += Vb(OidFromText(oid));

    const int status = CSnmpSession::GetSnmp()->get(pdu, target, OnAnswer, &answer);
    if (status != SNMP_CLASS_SUCCESS) {
        PrintStatus(status);
        return 1;
    }
    // Both attempts with their time-outs, and as much again for slow machines.
    const UINT waitMs = static_cast<UINT>(target.get_timeout() * 10 * (target.get_retry() + 1) * 2);
    PumpUntilAnswered(answer, waitMs);
    if (!answer.done) {
        answer.abandoned = true;
        PrintStatus(SNMP_CLASS_TIMEOUT);
    }
    return answer.ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <host> <port> <community>\n", argv[0]);
        return 2;
    }
    const unsigned short port = ParsePort(argv[2]);
    if (port == 0) {
        std::fprintf(stderr, "invalid port: %s\n", argv[2]);
        return 2;
    }
    // Outlives the session: a request still outstanding is completed while
    // Stop deletes the Snmp object.
    ProbeAnswer answer;
    int result = 1;
    if (StartSession())
        result = Probe(argv[1], port, argv[3], answer);
    // Also after a failed start: a Snmp object that was created goes here.
    CSnmpSession::Stop();
    return result;
}
