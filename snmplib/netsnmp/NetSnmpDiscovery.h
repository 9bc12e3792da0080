#pragma once

#include "snmplib/netsnmp/NetSnmp.h"
#include "snmplib/netsnmp/NetSnmpTime.h"

#include <cstdint>
#include <string>
#include <vector>

// A request that waits for its session's agent to be known (or for its keys).
struct CWaitingRequest {
    std::uint64_t id;
    netsnmp_pdu* pdu;
    unsigned long timeout;
    CNetSnmpClock::time_point deadline;
};

// The SNMPv3 discovery of one session's agent: its engine identifier, asked
// for with a probe sent asynchronously, so that no send ever blocks (RFC 3414,
// 4), and asked for again after a request has timed out or been refused for
// an unknown engine or a time outside the window, since the agent may have
// been reset. It holds the requests that wait meanwhile; the session sends
// them once the identifier is known.
class CNetSnmpDiscovery {
public:
    // The probe's events reach callback with a null magic, as kProbe.
    static constexpr std::uint64_t kProbe = 0;

    // handle is the session's; known: the session has the agent's identifier
    // (an SNMPv1/v2c session, or a target that names it: fixed).
    CNetSnmpDiscovery(void* handle, netsnmp_callback callback, bool known, bool fixed, int retries);
    ~CNetSnmpDiscovery();
    CNetSnmpDiscovery(const CNetSnmpDiscovery&) = delete;
    CNetSnmpDiscovery& operator=(const CNetSnmpDiscovery&) = delete;

    bool Known() const { return engine == Engine::known; }
    bool Probing() const { return engine == Engine::probing; }
    // A request may go at once: the identifier is known and none waits.
    bool Ready() const { return Known() && waiting.empty(); }
    bool HasWaiting() const { return !waiting.empty(); }
    int Waiting() const { return static_cast<int>(waiting.size()); }

    // Queues the request, probing when the identifier is unknown and no probe
    // runs. SNMP_CLASS_SUCCESS, or why no probe could be sent: the request
    // is then not kept and its PDU freed.
    int Wait(const CWaitingRequest& request);
    // A probe again for requests that still wait for an unknown identifier;
    // SNMP_CLASS_SUCCESS, or why it could not be sent.
    int ProbeAgain();
    // What the probe brought: SNMP_CLASS_SUCCESS, or the reason to end every
    // waiting request with (a probe that timed out is tried again instead).
    int OnProbeEvent(int op, const netsnmp_pdu* pdu);
    // After a request failed for a reason that may mean a reset agent.
    void ForgetEngine();

    // The first waiting request, or false when none waits.
    bool TakeFirst(CWaitingRequest* request);
    std::vector<CWaitingRequest> TakeAll();
    std::vector<CWaitingRequest> TakeOverdue(CNetSnmpClock::time_point now);
    // Drops a waiting request without ending it.
    void Forget(std::uint64_t id);
    // Milliseconds until a waiting request's deadline, 0 while a probe is due
    // to start, -1 when none waits.
    int MillisecondsToNextEvent(CNetSnmpClock::time_point now) const;

private:
    enum class Engine { known, unknown, probing };

    netsnmp_session* Info() const;
    void StartProbe();
    void AdoptEngine(const netsnmp_pdu& answer);
    void ResetTimeWindow() const;

    void* handle;
    netsnmp_callback callback;
    bool fixed;
    int retries;
    Engine engine;
    std::string lastEngineId;
    std::vector<CWaitingRequest> waiting;
    bool sending = false;  // the probe is inside snmp_sess_async_send
    int sendFailure = 0;
};
