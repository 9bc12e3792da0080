#pragma once

#include "snmplib/NetSnmp.h"
#include "snmplib/NetSnmpUsm.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct CPendingRequest;

// Everything that tells one Net-SNMP session from another. Requests that
// agree on all of it share a session and its socket.
struct CSessionParams {
    std::string peer;  // "udp:a.b.c.d:port"
    long version = SNMP_VERSION_1;
    int retries = 0;
    // Blocking requests get sessions of their own, so that waiting for one
    // never processes another request's events.
    bool blocking = false;
    std::string securityName;
    CUsmCredentials credentials;
    int securityLevel = 0;
    std::string engineId;  // the agent's, when the target names it

    bool operator<(const CSessionParams& other) const;
};

// One Net-SNMP session (single-session API, its own UDP socket on a port the
// system picks). For SNMPv3 it finds the agent's engine identifier itself,
// with an ordinary asynchronous request, so that no send ever blocks; the
// requests sent meanwhile wait and go out when the identifier is known.
class CNetSnmpSession {
public:
    // Null, with *result set, when Net-SNMP refuses the session.
    static std::unique_ptr<CNetSnmpSession> Open(const CSessionParams& params, int* result);
    ~CNetSnmpSession();
    CNetSnmpSession(const CNetSnmpSession&) = delete;
    CNetSnmpSession& operator=(const CNetSnmpSession&) = delete;

    const CSessionParams& Params() const { return params; }

    // Sends pdu, which the session takes over in every case, for request.
    // SNMP_CLASS_SUCCESS when the request is under way; otherwise no event of
    // the request has been reported and the result says why.
    int Send(netsnmp_pdu* pdu, CPendingRequest& request);

    // Reads the datagrams that have arrived (bounded), then lets Net-SNMP
    // retransmit or expire what is due.
    void ProcessEvents();
    // Processes this session alone until request is done or deadline passes.
    void WaitFor(const CPendingRequest& request, std::chrono::steady_clock::time_point deadline);

    int Socket() const;
    // Milliseconds until Net-SNMP has a retransmission or time-out due; -1
    // when nothing is pending.
    int MillisecondsToNextTimeout() const;

    void RequestEnded();
    int Outstanding() const { return outstanding; }
    std::chrono::steady_clock::time_point LastUsed() const { return lastUsed; }

private:
    enum class Discovery { ready, needed, probing };

    CNetSnmpSession(void* handle, const CSessionParams& params);

    static int OnEvent(int op, netsnmp_session* session, int reqid, netsnmp_pdu* pdu, void* magic);
    void OnRequestEvent(CPendingRequest& request, int op, netsnmp_pdu* pdu);
    void OnProbeEvent(int op, netsnmp_pdu* pdu);

    int SendNow(netsnmp_pdu* pdu, CPendingRequest& request);
    int StartProbe(unsigned long timeout);
    void EndProbe();
    void AdoptEngineId(const netsnmp_pdu* pdu);
    void SendDeferred();
    void FailDeferred(int reason);
    int LastError() const;
    void ReadOne();

    void* handle;
    CSessionParams params;
    Discovery discovery = Discovery::ready;
    std::uint64_t probeMagic = 0;
    std::vector<std::pair<std::uint64_t, netsnmp_pdu*>> deferred;
    std::uint64_t sendingMagic = 0;
    int sendFailure = 0;
    bool closing = false;
    int outstanding = 0;
    std::chrono::steady_clock::time_point lastUsed;
};
