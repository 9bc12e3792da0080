// retrieval-floor: the SNMP work of client-list retrievals done directly on
// Net-SNMP's library, as the floor the plug-in is measured against. For
// every address at once: a set of the refresh variable, then one get-next of
// the six client-table columns per row, each row followed by a get of the
// access point's band, until the table ends. The band reads block, or with
// --concurrent go out asynchronously, the next step after their answer, so
// that every access point sees the same requests in the same order while
// all of them are asked at once. SNMPv1, community "public" for reads and
// "private" for the set, one second per attempt and one retry, as the
// plug-in's defaults go. Prints the rows read in all and the seconds from
// the first request to the last answer.
//
// Usage: retrieval-floor [-t HUNDREDTHS] [--concurrent] PORT ADDRESS...   (-t as krw6180-clients takes it)

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/net-snmp-includes.h>

#include "platform/posix/Descriptors.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const oid kRefresh[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 1, 1, 1, 1};
const oid kBand[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 1, 1, 1, 34, 1};
const oid kEntry[] = {1, 3, 6, 1, 4, 1, 32473, 10, 37, 37, 2, 1, 3, 3, 4, 2, 1};
const int kColumns = 6;
// Microseconds per attempt: half of krw6180-clients' -t budget (default 200).
long g_timeoutUs = 1000000;
bool g_concurrent = false;

// One access point's retrieval.
struct CWalk {
    void* async = nullptr;  // the set and the get-next steps; with --concurrent the band reads too
    void* sync = nullptr;   // the blocking band reads
    int rows = 0;
    bool done = false;
    netsnmp_pdu* step = nullptr;  // --concurrent: the step whose band is being read
};

int g_open = 0;

void* OpenSession(const std::string& peer, const char* community, netsnmp_callback callback, void* magic)
{
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_VERSION_1;
    settings.peername = const_cast<char*>(peer.c_str());
    settings.community = reinterpret_cast<u_char*>(const_cast<char*>(community));
    settings.community_len = std::strlen(community);
    settings.timeout = g_timeoutUs;
    settings.retries = 1;
    settings.callback = callback;
    settings.callback_magic = magic;
    return snmp_sess_open(&settings);
}

bool InColumn(const netsnmp_variable_list* vb, int column)
{
    oid prefix[OID_LENGTH(kEntry) + 1];
    std::copy(kEntry, kEntry + OID_LENGTH(kEntry), prefix);
    prefix[OID_LENGTH(kEntry)] = static_cast<oid>(column + 2);
    return vb->type != SNMP_ENDOFMIBVIEW &&
           netsnmp_oid_is_subtree(prefix, OID_LENGTH(prefix), vb->name, vb->name_length) == 0;
}

bool IsBand(const netsnmp_pdu& pdu)
{
    return pdu.variables != nullptr &&
           netsnmp_oid_equals(pdu.variables->name, pdu.variables->name_length, kBand, OID_LENGTH(kBand)) == 0;
}

void ReadBand(CWalk& walk)
{
    netsnmp_pdu* get = snmp_pdu_create(SNMP_MSG_GET);
    snmp_add_null_var(get, kBand, OID_LENGTH(kBand));
    netsnmp_pdu* response = nullptr;
    snmp_sess_synch_response(walk.sync, get, &response);
    if (response != nullptr)
        snmp_free_pdu(response);
}

void Finish(CWalk& walk);

void SendBand(CWalk& walk)
{
    netsnmp_pdu* get = snmp_pdu_create(SNMP_MSG_GET);
    snmp_add_null_var(get, kBand, OID_LENGTH(kBand));
    if (snmp_sess_send(walk.async, get) == 0) {
        snmp_free_pdu(get);
        Finish(walk);
    }
}

void Finish(CWalk& walk)
{
    walk.done = true;
    --g_open;
}

void SendStep(CWalk& walk, const netsnmp_pdu* previous)
{
    netsnmp_pdu* step = snmp_pdu_create(SNMP_MSG_GETNEXT);
    if (previous == nullptr) {
        for (int column = 0; column < kColumns; ++column) {
            oid name[OID_LENGTH(kEntry) + 1];
            std::copy(kEntry, kEntry + OID_LENGTH(kEntry), name);
            name[OID_LENGTH(kEntry)] = static_cast<oid>(column + 2);
            snmp_add_null_var(step, name, OID_LENGTH(name));
        }
    } else {
        for (const netsnmp_variable_list* vb = previous->variables; vb != nullptr; vb = vb->next_variable)
            snmp_add_null_var(step, vb->name, vb->name_length);
    }
    if (snmp_sess_send(walk.async, step) == 0) {
        snmp_free_pdu(step);
        Finish(walk);
    }
}

// The step's row is counted and the next step sent, or the table has ended.
void ContinueAfter(CWalk& walk, const netsnmp_pdu* step)
{
    if (step->variables == nullptr || !InColumn(step->variables, 0)) {
        Finish(walk);
        return;
    }
    ++walk.rows;
    SendStep(walk, step);
}

int OnResponse(int operation, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic)
{
    CWalk& walk = *static_cast<CWalk*>(magic);
    if (operation != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || pdu->errstat != SNMP_ERR_NOERROR) {
        Finish(walk);
        return 1;
    }
    if (pdu->command == SNMP_MSG_RESPONSE && pdu->variables != nullptr &&
        netsnmp_oid_equals(pdu->variables->name, pdu->variables->name_length, kRefresh, OID_LENGTH(kRefresh)) == 0) {
        SendStep(walk, nullptr);
        return 1;
    }
    if (!g_concurrent) {
        ReadBand(walk);
        ContinueAfter(walk, pdu);
        return 1;
    }
    if (IsBand(*pdu)) {
        netsnmp_pdu* step = walk.step;
        walk.step = nullptr;
        ContinueAfter(walk, step);
        snmp_free_pdu(step);
        return 1;
    }
    walk.step = snmp_clone_pdu(pdu);
    SendBand(walk);
    return 1;
}

void StartWalk(CWalk& walk, const std::string& peer)
{
    walk.async = OpenSession(peer, "public", OnResponse, &walk);
    walk.sync = g_concurrent ? nullptr : OpenSession(peer, "public", nullptr, nullptr);
    if (walk.async == nullptr || (!g_concurrent && walk.sync == nullptr)) {
        walk.done = true;
        return;
    }
    ++g_open;
    // The set goes with the write community, the reads with the session's.
    netsnmp_pdu* set = snmp_pdu_create(SNMP_MSG_SET);
    set->community = reinterpret_cast<u_char*>(strdup("private"));
    set->community_len = 7;
    const long get = 1;
    snmp_pdu_add_variable(set, kRefresh, OID_LENGTH(kRefresh), ASN_INTEGER, &get, sizeof get);
    if (snmp_sess_send(walk.async, set) == 0) {
        snmp_free_pdu(set);
        Finish(walk);
    }
}

// Reads what has arrived and handles time-outs, for every open walk.
void Pump(std::vector<CWalk>& walks)
{
    std::vector<pollfd> fds;
    std::vector<CWalk*> owners;
    for (CWalk& walk : walks)
        if (!walk.done) {
            fds.push_back({snmp_sess_transport(walk.async)->sock, POLLIN, 0});
            owners.push_back(&walk);
        }
    poll(fds.data(), fds.size(), 10);
    for (size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents & POLLIN) {
            // Descriptors above 1023 do not fit a plain fd_set.
            netsnmp_large_fd_set readable;
            netsnmp_large_fd_set_init(&readable, fds[i].fd + 1);
            NETSNMP_LARGE_FD_SET(fds[i].fd, &readable);
            snmp_sess_read2(owners[i]->async, &readable);
            netsnmp_large_fd_set_cleanup(&readable);
        }
        if (!owners[i]->done)
            snmp_sess_timeout(owners[i]->async);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "-t") == 0) {
        g_timeoutUs = std::atol(argv[2]) / 2 * 10000;
        argv += 2;
        argc -= 2;
    }
    if (argc > 1 && std::strcmp(argv[1], "--concurrent") == 0) {
        g_concurrent = true;
        ++argv;
        --argc;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: retrieval-floor [-t HUNDREDTHS] [--concurrent] PORT ADDRESS...\n");
        return 2;
    }
    RaiseDescriptorLimit();
    setenv("MIBS", "", 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_CONFIG_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    init_snmp("retrieval-floor");
    std::vector<CWalk> walks(static_cast<size_t>(argc - 2));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 2; i < argc; ++i)
        StartWalk(walks[static_cast<size_t>(i - 2)], std::string("udp:") + argv[i] + ":" + argv[1]);
    for (int guard = 0; g_open > 0 && guard < 10000000; ++guard)
        Pump(walks);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int rows = 0;
    for (CWalk& walk : walks) {
        if (walk.step != nullptr)
            snmp_free_pdu(walk.step);
        rows += walk.rows;
        if (walk.async != nullptr)
            snmp_sess_close(walk.async);
        if (walk.sync != nullptr)
            snmp_sess_close(walk.sync);
    }
    printf("%d %.3f\n", rows, seconds);
    snmp_shutdown("retrieval-floor");
    return 0;
}
