// krwtest-responder: an SNMPv1/v2c agent that answers every request the way
// its command line says, including the ways a real agent never would. It
// binds a free loopback port (on 127.0.0.1 and, when asked, the addresses
// after it), prints "port N" on standard output and runs until standard input
// closes, it is stopped, or its lifetime is over.
//
// Net-SNMP decodes the requests and encodes the answers; the answers it will
// not encode (a value of a type no SNMP syntax has, a report in SNMPv1/v2c)
// are encoded as responses and get their one different octet afterwards.

#include "apsim/ApSimRequestLog.h"
#include "snmplib/netsnmp/NetSnmpStateFolder.h"

#include <CLI/CLI.hpp>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/library/large_fd_set.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const auto kLifetime = std::chrono::minutes(5);
const char kBadTypeMarker[] = "BADTYPE";
// A type octet that no SNMP syntax uses.
const u_char kUnknownType = 0x4f;
// The client table's entry (columns 2, the MAC, to 7) and the object after it.
const oid kEntry[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 2, 1};
const oid kAfterTable[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 3, 0};
const oid kFirstColumn = 2;
const oid kLastColumn = 7;

struct Script {
    int delayMs = 0;
    int copies = 1;
    long requestIdOffset = 0;
    std::string reportOid;
    bool setErrorStatus = false;
    long errorStatus = 0;
    long errorIndex = 1;
    size_t errorFrom = 0;  // the requests before this one (counted from 0) are answered without it
    int getDelayMs = 0;
    bool noSuchNameAfterTable = false;
    int bindings = -1;
    bool badType = false;
    bool silent = false;
    std::vector<std::string> answerOids;  // the n-th request's bindings all get the n-th (or the last)
    int addresses = 1;
    // Get-nexts walk a client table: of rows[0] rows, then after the n-th set
    // of rows[n-1] (the last one after them); -1 rows never end.
    std::vector<long> rows;
    bool log = false;
    bool silentGets = false;
    bool holdFirstGet = false;
};

struct Pending {
    Clock::time_point due;
    netsnmp_pdu* answer;
    void* session;  // the address's, which sends it
};

// The first get on the first address, kept back (its retransmissions
// unanswered) until the other addresses have been asked twice since it came.
struct Held {
    netsnmp_pdu* answer = nullptr;
    long requestId = 0;
    void* session = nullptr;
    int othersSince = 0;
    bool taken = false;
};

Script script;
std::deque<Pending> pending;
Held held;
size_t requestsSeen = 0;
size_t setsSeen = 0;
std::vector<void*> sessions;  // one per address, 127.0.0.1 first

bool ParseOid(const std::string& text, std::vector<oid>* out)
{
    out->assign(MAX_OID_LEN, 0);
    size_t length = MAX_OID_LEN;
    if (!read_objid(text.c_str(), out->data(), &length))
        return false;
    out->resize(length);
    return true;
}

void ReplaceBindings(netsnmp_pdu* answer, int count)
{
    std::vector<oid> name(answer->variables ? answer->variables->name : nullptr,
                          answer->variables ? answer->variables->name + answer->variables->name_length : nullptr);
    snmp_free_varbind(answer->variables);
    answer->variables = nullptr;
    name.push_back(0);
    for (int i = 0; i < count; ++i) {
        name.back() = static_cast<oid>(i + 1);
        const long value = i;
        snmp_pdu_add_variable(answer, name.data(), name.size(), ASN_INTEGER, &value, sizeof value);
    }
}

// Every binding of the answer names the OID the script has for this request.
void RenameBindings(netsnmp_pdu* answer)
{
    const size_t n = std::min(requestsSeen, script.answerOids.size() - 1);
    std::vector<oid> name;
    if (!ParseOid(script.answerOids[n], &name))
        return;
    for (netsnmp_variable_list* v = answer->variables; v; v = v->next_variable)
        snmp_set_var_objid(v, name.data(), name.size());
}

// The binding's successor in a client table of script.rows rows, as an agent
// answers a get-next (RFC 1157, 4.1.3): the next row of the same column, or
// the object after the table. Every row has a MAC of its own. False when
// it is the object after the table.
bool NextInTable(netsnmp_variable_list* v)
{
    const long rows = script.rows[std::min(setsSeen > 0 ? setsSeen - 1 : 0, script.rows.size() - 1)];
    const size_t prefix = OID_LENGTH(kEntry);
    const bool inEntry =
        v->name_length > prefix && netsnmp_oid_is_subtree(kEntry, prefix, v->name, v->name_length) == 0;
    const oid column = inEntry ? v->name[prefix] : 0;
    const oid row = inEntry && v->name_length > prefix + 1 ? v->name[prefix + 1] + 1 : 1;
    if (column < kFirstColumn || column > kLastColumn || (rows >= 0 && row > static_cast<oid>(rows))) {
        snmp_set_var_objid(v, kAfterTable, OID_LENGTH(kAfterTable));
        snmp_set_var_typed_integer(v, ASN_INTEGER, 0);
        return false;
    }
    std::vector<oid> name(kEntry, kEntry + prefix);
    name.push_back(column);
    name.push_back(row);
    snmp_set_var_objid(v, name.data(), name.size());
    if (column == kFirstColumn) {
        const u_char mac[] = {2, 0, u_char(row >> 24), u_char(row >> 16), u_char(row >> 8), u_char(row)};
        snmp_set_var_typed_value(v, ASN_OCTET_STR, mac, sizeof mac);
    } else if (column == kLastColumn) {
        snmp_set_var_typed_value(v, ASN_OCTET_STR, "1", 1);
    } else {
        snmp_set_var_typed_integer(v, ASN_INTEGER, 1);
    }
    return true;
}

// A get-next in the client table. With noSuchNameAfterTable, one that runs
// past the table is answered as an SNMPv1 agent whose MIB ends there does,
// whatever the request's version: noSuchName, the bindings as asked, the
// error index naming the first that has no successor (RFC 1157, 4.1.3).
void AnswerInTable(const netsnmp_pdu* request, netsnmp_pdu* answer)
{
    long position = 0;
    long failed = 0;
    for (netsnmp_variable_list* v = answer->variables; v; v = v->next_variable) {
        ++position;
        if (!NextInTable(v) && failed == 0)
            failed = position;
    }
    if (!script.noSuchNameAfterTable || failed == 0)
        return;
    snmp_free_varbind(answer->variables);
    answer->variables = snmp_clone_varbind(request->variables);
    answer->errstat = SNMP_ERR_NOSUCHNAME;
    answer->errindex = failed;
}

void FillValues(netsnmp_pdu* answer)
{
    long number = 1;
    for (netsnmp_variable_list* v = answer->variables; v; v = v->next_variable, ++number) {
        if (script.badType)
            snmp_set_var_typed_value(v, ASN_OCTET_STR, kBadTypeMarker, sizeof kBadTypeMarker - 1);
        else
            snmp_set_var_typed_integer(v, ASN_INTEGER, number);
    }
}

netsnmp_pdu* MakeAnswer(const netsnmp_pdu* request)
{
    netsnmp_pdu* answer = snmp_clone_pdu(const_cast<netsnmp_pdu*>(request));
    if (!answer)
        return nullptr;
    answer->command = SNMP_MSG_RESPONSE;
    answer->reqid += script.requestIdOffset;
    answer->errstat = 0;
    answer->errindex = 0;
    if (script.bindings >= 0)
        ReplaceBindings(answer, script.bindings);
    if (!script.answerOids.empty())
        RenameBindings(answer);
    if (!script.rows.empty() && request->command == SNMP_MSG_GETNEXT)
        AnswerInTable(request, answer);
    else
        FillValues(answer);
    if (script.setErrorStatus && requestsSeen >= script.errorFrom) {
        answer->errstat = script.errorStatus;
        answer->errindex = script.errorIndex;
    }
    std::vector<oid> report;
    if (!script.reportOid.empty() && ParseOid(script.reportOid, &report)) {
        snmp_free_varbind(answer->variables);
        answer->variables = nullptr;
        const u_long count = 1;
        snmp_pdu_add_variable(answer, report.data(), report.size(), ASN_COUNTER, &count, sizeof count);
    }
    return answer;
}

// The encoded answer's marked value gets a type that does not exist.
void PatchBadType(u_char* start, size_t length)
{
    const size_t marker = sizeof kBadTypeMarker - 1;
    for (size_t i = 0; i + 2 + marker <= length; ++i) {
        if (start[i] == ASN_OCTET_STR && start[i + 1] == marker && memcmp(start + i + 2, kBadTypeMarker, marker) == 0)
            start[i] = kUnknownType;
    }
}

// The encoded response becomes a report: the PDU's tag follows the version
// and the community (RFC 3416, section 3; RFC 1901, section 3).
void PatchReport(u_char* start, size_t length)
{
    u_char type = 0;
    long version = 0;
    u_char community[256];
    size_t communityLength = sizeof community;
    u_char* p = asn_parse_sequence(start, &length, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
    if (p)
        p = asn_parse_int(p, &length, &type, &version, sizeof version);
    if (p)
        p = asn_parse_string(p, &length, &type, community, &communityLength);
    if (p && length > 0)
        *p = SNMP_MSG_REPORT;
}

void SendPatched(void* session, netsnmp_pdu* answer, void (*patch)(u_char*, size_t))
{
    netsnmp_session* info = snmp_sess_session(session);
    netsnmp_transport* transport = snmp_sess_transport(session);
    u_char* packet = nullptr;
    size_t size = 0;
    size_t offset = 0;
    if (snmp_build(&packet, &size, &offset, info, answer) == 0) {
        u_char* start = packet + size - offset;
        patch(start, offset);
        void* opaque = answer->transport_data;
        int opaqueLength = answer->transport_data_length;
        netsnmp_transport_send(transport, start, static_cast<int>(offset), &opaque, &opaqueLength);
    }
    free(packet);
    snmp_free_pdu(answer);
}

void Send(void* session, netsnmp_pdu* answer)
{
    if (script.badType)
        SendPatched(session, answer, PatchBadType);
    else if (!script.reportOid.empty())
        SendPatched(session, answer, PatchReport);
    else if (!snmp_sess_send(session, answer))
        snmp_free_pdu(answer);
}

// Answers wait in the order they are due, whatever their delays.
void Queue(const Pending& answer)
{
    const auto later = std::upper_bound(pending.begin(), pending.end(), answer,
                                        [](const Pending& a, const Pending& b) { return a.due < b.due; });
    pending.insert(later, answer);
}

// Counts a request on another address than the first; the second since the
// held answer was kept sends it.
void CountOtherRequest()
{
    if (held.answer != nullptr && ++held.othersSince >= 2) {
        Queue({Clock::now(), held.answer, held.session});
        held.answer = nullptr;
    }
}

int OnRequest(int op, netsnmp_session*, int, netsnmp_pdu* request, void* magic)
{
    const size_t address = reinterpret_cast<size_t>(magic);
    if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || script.silent)
        return 1;
    if (script.log)
        LogRequest(*request, true);
    setsSeen += request->command == SNMP_MSG_SET;
    if (address != 0)
        CountOtherRequest();
    const bool get = request->command == SNMP_MSG_GET;
    if (get && script.silentGets)
        return 1;
    if (get && address == 0 && held.answer != nullptr && request->reqid == held.requestId)
        return 1;
    if (get && script.holdFirstGet && address == 0 && !held.taken) {
        held = {MakeAnswer(request), request->reqid, sessions[address], 0, true};
        ++requestsSeen;
        return 1;
    }
    const int delayMs = get && script.getDelayMs > 0 ? script.getDelayMs : script.delayMs;
    for (int i = 0; i < script.copies; ++i) {
        netsnmp_pdu* answer = MakeAnswer(request);
        if (answer)
            Queue({Clock::now() + std::chrono::milliseconds(delayMs), answer, sessions[address]});
    }
    ++requestsSeen;
    return 1;
}

void SendDue()
{
    const auto now = Clock::now();
    while (!pending.empty() && pending.front().due <= now) {
        const Pending due = pending.front();
        pending.pop_front();
        Send(due.session, due.answer);
    }
}

int NextWaitMs()
{
    if (pending.empty())
        return 1000;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(pending.front().due - Clock::now());
    return wait.count() > 0 ? static_cast<int>(wait.count()) : 0;
}

bool Listen(const std::string& address, size_t index)
{
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", ("udp:" + address).c_str());
    if (!transport)
        return false;
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.callback = OnRequest;
    settings.callback_magic = reinterpret_cast<void*>(index);
    settings.isAuthoritative = SNMP_SESS_AUTHORITATIVE;
    settings.version = SNMP_DEFAULT_VERSION;
    void* session = snmp_sess_add(&settings, transport, nullptr, nullptr);
    if (session == nullptr)
        return false;
    sessions.push_back(session);
    return true;
}

unsigned short BoundPort()
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(snmp_sess_transport(sessions[0])->sock, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

// 127.0.0.1 on a free port, then the addresses after it on the same port.
bool Open(const std::string& stateFolder)
{
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, stateFolder.c_str());
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    setenv("MIBS", "", 1);
    init_snmp("krwtest-responder");
    if (!Listen("127.0.0.1:0", 0))
        return false;
    const std::string port = std::to_string(BoundPort());
    for (int i = 1; i < script.addresses; ++i)
        if (!Listen("127.0.0." + std::to_string(i + 1) + ":" + port, static_cast<size_t>(i)))
            return false;
    return true;
}

void Serve()
{
    const auto end = Clock::now() + kLifetime;
    std::vector<pollfd> watch{{0, POLLIN, 0}};
    for (void* session : sessions)
        watch.push_back({snmp_sess_transport(session)->sock, POLLIN, 0});
    while (Clock::now() < end) {
        if (poll(watch.data(), watch.size(), NextWaitMs()) < 0)
            break;
        if (watch[0].revents)
            break;  // the test has let go of our standard input
        for (size_t i = 1; i < watch.size(); ++i) {
            if (!watch[i].revents)
                continue;
            netsnmp_large_fd_set readable;
            netsnmp_large_fd_set_init(&readable, watch[i].fd + 1);
            NETSNMP_LARGE_FD_SET(watch[i].fd, &readable);
            snmp_sess_read2(sessions[i - 1], &readable);
            netsnmp_large_fd_set_cleanup(&readable);
        }
        SendDue();
    }
    for (const Pending& unsent : pending)
        snmp_free_pdu(unsent.answer);
    if (held.answer != nullptr)
        snmp_free_pdu(held.answer);
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Answers SNMPv1/v2c requests as scripted, for the tests."};
    app.add_option("--delay", script.delayMs, "answer this many milliseconds late");
    app.add_option("--copies", script.copies, "send each answer this many times");
    app.add_option("--request-id-offset", script.requestIdOffset, "answer with the request id plus this");
    app.add_option("--report", script.reportOid, "answer with a report PDU holding this counter OID");
    app.add_option("--error-status", script.errorStatus, "answer with this error status");
    app.add_option("--error-index", script.errorIndex, "the error index of --error-status (default 1)");
    app.add_option("--error-from", script.errorFrom,
                   "answer with --error-status from the N-th request on (counted from 0; default 0)");
    app.add_option("--get-delay", script.getDelayMs, "answer gets this many milliseconds late (instead of --delay)");
    app.add_flag("--no-such-name-after-table", script.noSuchNameAfterTable,
                 "answer a get-next past the --rows table with noSuchName, in any version");
    app.add_option("--bindings", script.bindings, "answer with this many bindings");
    app.add_flag("--bad-type", script.badType, "answer with a value of a type no SNMP syntax has");
    app.add_flag("--silent", script.silent, "never answer");
    app.add_option("--addresses", script.addresses, "answer on 127.0.0.1 and the N-1 addresses after it, one port")
        ->check(CLI::Range(1, 254));
    app.add_option("--rows", script.rows,
                   "answer get-nexts as a client table of N rows (-1: rows without end); N,M,...: M rows after the "
                   "first set, and so on")
        ->delimiter(',');
    app.add_flag("--log-requests", script.log, "print every request (\"request\", the command, the first OID)");
    app.add_flag("--silent-gets", script.silentGets, "never answer a get");
    app.add_flag("--hold-first-get", script.holdFirstGet,
                 "answer the first get on 127.0.0.1 only after two requests on the other addresses");
    app.add_option("--answer-oids", script.answerOids,
                   "answer the n-th request's bindings with the n-th of these OIDs (the last one after them)")
        ->delimiter(',');
    CLI11_PARSE(app, argc, argv);
    // A test that stops reading the log is no reason to end.
    std::signal(SIGPIPE, SIG_IGN);
    script.setErrorStatus = app.count("--error-status") > 0;
    bool opened = false;
    {
        const CNetSnmpStateFolder stateFolder("krwtest-responder");
        opened = !stateFolder.Path().empty() && Open(stateFolder.Path());
    }
    if (!opened) {
        fprintf(stderr, "cannot open a loopback port\n");
        return 1;
    }
    printf("port %u\n", BoundPort());
    fflush(stdout);
    Serve();
    return 0;
}
