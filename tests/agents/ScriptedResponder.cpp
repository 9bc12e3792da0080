// krwtest-responder: an SNMPv1/v2c agent that answers every request the way
// its command line says, including the ways a real agent never would. It
// binds a free loopback port, prints "port N" on standard output and runs
// until standard input closes, it is stopped, or its lifetime is over.
//
// Net-SNMP decodes the requests and encodes the answers; the answers it will
// not encode (a value of a type no SNMP syntax has, a report in SNMPv1/v2c)
// are encoded as responses and get their one different octet afterwards.

#include <CLI/CLI.hpp>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/library/large_fd_set.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
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

struct Script {
    int delayMs = 0;
    int copies = 1;
    long requestIdOffset = 0;
    std::string reportOid;
    bool setErrorStatus = false;
    long errorStatus = 0;
    int bindings = -1;
    bool badType = false;
    bool silent = false;
    std::vector<std::string> answerOids;  // the n-th request's bindings all get the n-th (or the last)
};

struct Pending {
    Clock::time_point due;
    netsnmp_pdu* answer;
};

Script script;
std::deque<Pending> pending;
size_t requestsSeen = 0;
void* session = nullptr;

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
    FillValues(answer);
    if (script.setErrorStatus) {
        answer->errstat = script.errorStatus;
        answer->errindex = 1;
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

void SendPatched(netsnmp_pdu* answer, void (*patch)(u_char*, size_t))
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

void Send(netsnmp_pdu* answer)
{
    if (script.badType)
        SendPatched(answer, PatchBadType);
    else if (!script.reportOid.empty())
        SendPatched(answer, PatchReport);
    else if (!snmp_sess_send(session, answer))
        snmp_free_pdu(answer);
}

int OnRequest(int op, netsnmp_session*, int, netsnmp_pdu* request, void*)
{
    if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || script.silent)
        return 1;
    for (int i = 0; i < script.copies; ++i) {
        netsnmp_pdu* answer = MakeAnswer(request);
        if (answer)
            pending.push_back({Clock::now() + std::chrono::milliseconds(script.delayMs), answer});
    }
    ++requestsSeen;
    return 1;
}

void SendDue()
{
    const auto now = Clock::now();
    while (!pending.empty() && pending.front().due <= now) {
        netsnmp_pdu* answer = pending.front().answer;
        pending.pop_front();
        Send(answer);
    }
}

int NextWaitMs()
{
    if (pending.empty())
        return 1000;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(pending.front().due - Clock::now());
    return wait.count() > 0 ? static_cast<int>(wait.count()) : 0;
}

// The library insists on a folder for its state; ours goes with us.
std::string MakeStateFolder()
{
    const char* tmp = getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/krwtest-responder-XXXXXX";
    if (!mkdtemp(&folder[0]))
        return std::string();
    std::error_code ignored;
    std::filesystem::create_directory(folder + "/cert_indexes", ignored);
    return folder;
}

bool Open(const std::string& stateFolder)
{
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, stateFolder.c_str());
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    setenv("MIBS", "", 1);
    init_snmp("krwtest-responder");
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", "udp:127.0.0.1:0");
    if (!transport)
        return false;
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.callback = OnRequest;
    settings.isAuthoritative = SNMP_SESS_AUTHORITATIVE;
    settings.version = SNMP_DEFAULT_VERSION;
    session = snmp_sess_add(&settings, transport, nullptr, nullptr);
    return session != nullptr;
}

unsigned short BoundPort()
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(snmp_sess_transport(session)->sock, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

void Serve()
{
    const int socket = snmp_sess_transport(session)->sock;
    const auto end = Clock::now() + kLifetime;
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, socket + 1);
    while (Clock::now() < end) {
        pollfd watch[2] = {{socket, POLLIN, 0}, {0, POLLIN, 0}};
        if (poll(watch, 2, NextWaitMs()) < 0)
            break;
        if (watch[1].revents)
            break;  // the test has let go of our standard input
        if (watch[0].revents) {
            NETSNMP_LARGE_FD_SET(socket, &readable);
            snmp_sess_read2(session, &readable);
        }
        SendDue();
    }
    netsnmp_large_fd_set_cleanup(&readable);
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Answers SNMPv1/v2c requests as scripted, for the tests."};
    app.add_option("--delay", script.delayMs, "answer this many milliseconds late");
    app.add_option("--copies", script.copies, "send each answer this many times");
    app.add_option("--request-id-offset", script.requestIdOffset, "answer with the request id plus this");
    app.add_option("--report", script.reportOid, "answer with a report PDU holding this counter OID");
    app.add_option("--error-status", script.errorStatus, "answer with this error status (error index 1)");
    app.add_option("--bindings", script.bindings, "answer with this many bindings");
    app.add_flag("--bad-type", script.badType, "answer with a value of a type no SNMP syntax has");
    app.add_flag("--silent", script.silent, "never answer");
    app.add_option("--answer-oids", script.answerOids,
                   "answer the n-th request's bindings with the n-th of these OIDs (the last one after them)")
        ->delimiter(',');
    CLI11_PARSE(app, argc, argv);
    script.setErrorStatus = app.count("--error-status") > 0;
    const std::string stateFolder = MakeStateFolder();
    if (stateFolder.empty() || !Open(stateFolder)) {
        fprintf(stderr, "cannot open a loopback port\n");
        return 1;
    }
    printf("port %u\n", BoundPort());
    fflush(stdout);
    Serve();
    std::error_code ignored;
    std::filesystem::remove_all(stateFolder, ignored);
    return 0;
}
