#pragma once

#include "snmplib/netsnmp/NetSnmp.h"
#include "snmplib/netsnmp/NetSnmpDiscovery.h"
#include "snmplib/netsnmp/NetSnmpTime.h"
#include "snmplib/netsnmp/NetSnmpUsm.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CNetSnmpWatch;

// Everything that tells one Net-SNMP session from another. Requests that
// agree on all of it share a session and its socket.
struct CSessionParams {
    std::uint32_t address = 0;  // IPv4, network order
    unsigned short port = 0;
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
    // "udp:a.b.c.d:port", as Net-SNMP takes a peer.
    std::string Peer() const;
};

// Where a session reports the end of each request it was given.
class ISessionListener {
public:
    // reason is SNMP_CLASS_ASYNC_RESPONSE with the agent's response, or the
    // failure (time-out, SNMPv3 report or security failure) without one.
    virtual void OnRequestEnded(std::uint64_t id, int reason, const netsnmp_pdu* response) = 0;

protected:
    ~ISessionListener() = default;
};

// One Net-SNMP session (single-session API, its own UDP socket on a port the
// system picks, watched for input from its opening to its closing).
//
// Every request ends (is reported to the listener) after at most its own
// (retries + 1) time-outs. For SNMPv3 its discovery (NetSnmpDiscovery.h)
// finds the agent's engine identifier without blocking a send; requests sent
// meanwhile wait there, and go out once it is known.
class CNetSnmpSession {
public:
    // Null, with *result set, when the session cannot be opened.
    static std::unique_ptr<CNetSnmpSession> Open(const CSessionParams& params, CNetSnmpUsers& users,
                                                 CNetSnmpWatch& watch, ISessionListener& listener, int* result);
    ~CNetSnmpSession();
    CNetSnmpSession(const CNetSnmpSession&) = delete;
    CNetSnmpSession& operator=(const CNetSnmpSession&) = delete;

    const CSessionParams& Params() const { return params; }

    // Sends pdu, which the session takes over in every case, as request id
    // with a time-out in hundredths of a second per attempt.
    // SNMP_CLASS_SUCCESS when it is under way; otherwise the reason, and
    // nothing is reported for it.
    int Send(std::uint64_t id, netsnmp_pdu* pdu, unsigned long timeout);
    // Gives up a request without reporting it.
    void Forget(std::uint64_t id);

    // Reads the datagrams that have arrived (bounded).
    void Read();
    // Retransmissions, time-outs and deadlines that are due; requests that
    // waited for the engine identifier or for their keys go out.
    void Tick();
    // Reads and ticks this session alone until done() holds or the deadline passes.
    void WaitFor(const std::function<bool()>& done, CNetSnmpClock::time_point deadline);

    // Milliseconds until Tick has something to do; -1 when nothing is pending.
    int MillisecondsToNextEvent() const;
    // Whether requests wait for the engine identifier or for keys: they may
    // go out at any moment.
    bool HasWaiting() const { return discovery.HasWaiting(); }
    // Whether Tick has something to do now; a session with waiting requests
    // is always due.
    bool TickDue() const { return HasWaiting() || MillisecondsToNextEvent() == 0; }
    int Outstanding() const { return static_cast<int>(inFlight.size()) + discovery.Waiting(); }
    CNetSnmpClock::time_point LastUsed() const { return lastUsed; }

private:
    struct CInFlight {
        CNetSnmpClock::time_point deadline;
        CUsmSlot* slot;
        // The agent refused an attempt as outside its time window: when no
        // attempt is left, that, not silence, is why the request failed.
        bool outsideTimeWindow;

        // Whichever of Net-SNMP's time-out and the budget's end comes first.
        int TimedOutReason() const;
    };

    CNetSnmpSession(void* handle, const CSessionParams& params, CNetSnmpUsers& users, CNetSnmpWatch& watch,
                    ISessionListener& listener);

    netsnmp_session* Info() const;
    int Socket() const;
    bool IsV3() const { return params.version == SNMP_VERSION_3; }
    bool ExpectsAnswer() const { return !inFlight.empty() || discovery.Probing(); }

    static void* OpenHandle(netsnmp_session& settings);
    static int OnEvent(int op, netsnmp_session* session, int reqid, netsnmp_pdu* pdu, void* magic);
    static int OnParsed(netsnmp_session* session, netsnmp_pdu* pdu, int result);
    void OnRequestEvent(std::uint64_t id, int op, netsnmp_pdu* pdu);

    int SendNow(std::uint64_t id, netsnmp_pdu* pdu, unsigned long timeout, CNetSnmpClock::time_point deadline,
                CUsmSlot* slot);
    void SendWaiting();

    void End(std::uint64_t id, int reason, const netsnmp_pdu* response);
    void EndWaiting(int reason);
    void EndOverdue(CNetSnmpClock::time_point now);
    void ReleaseSlot(CUsmSlot* slot);
    // Net-SNMP's next retransmission or time-out of this session's requests,
    // asked of the library once after each change.
    CNetSnmpClock::time_point LibraryDue() const;
    int LastError() const;

    void* handle;
    CSessionParams params;
    CNetSnmpUsers& users;
    CNetSnmpWatch& watch;
    ISessionListener& listener;
    netsnmp_large_fd_set readable;
    // LibraryDue's, sized once: sizing one afresh clears it bit by bit.
    mutable netsnmp_large_fd_set dueFds;
    bool watched = false;

    CNetSnmpDiscovery discovery;
    std::unordered_map<std::uint64_t, CInFlight> inFlight;
    mutable bool libraryDueKnown = false;
    mutable CNetSnmpClock::time_point libraryDue;
    static constexpr std::uint64_t kNotSending = ~std::uint64_t(0);
    std::uint64_t sending = kNotSending;  // the request inside snmp_sess_async_send
    int sendFailure = 0;
    bool closing = false;
    CNetSnmpClock::time_point lastUsed;
};
