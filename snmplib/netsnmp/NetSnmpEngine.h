#pragma once

#include "snmplib/Pdu.h"
#include "snmplib/Snmp.h"
#include "snmplib/Target.h"
#include "snmplib/netsnmp/NetSnmpLibrary.h"
#include "snmplib/netsnmp/NetSnmpSessionPool.h"
#include "snmplib/netsnmp/NetSnmpTime.h"
#include "snmplib/netsnmp/NetSnmpUsm.h"
#include "snmplib/netsnmp/NetSnmpWatch.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

// The adapter's process-wide state and its one owner: Net-SNMP's start and
// end, the SNMPv3 users, the sessions of every Snmp object, the requests
// under way and the completions waiting to be handed out.
//
// A request ends in its session; the session tells the engine, which keeps
// the outcome and, for an asynchronous request, queues the completion. The
// completions are handed out only by ProcessEvents (and with
// SNMP_CLASS_SESSION_DESTROYED by Detach and FinishMessageProcessing), so no
// callback ever runs inside a send or a blocking request.
//
// One thread uses the engine; nothing is locked.
class CNetSnmpEngine final : private ISessionListener {
public:
    static CNetSnmpEngine& Instance();
    // Destroys the engine when no Snmp object uses it, no request is under
    // way and Net-SNMP has been stopped; the next Instance() makes a new one.
    static void ReleaseIfIdle();

    void Attach(const Snmp* owner);
    // Completes the owner's outstanding requests with
    // SNMP_CLASS_SESSION_DESTROYED and closes its sessions; the owner's
    // requests are refused meanwhile.
    void Detach(Snmp* owner);

    // Takes pdu when the request goes out; otherwise leaves it as it was.
    int SendAsync(Snmp* owner, Pdu&& pdu, const SnmpTarget& target, int command, snmp_callback callback,
                  const void* data);
    int SendBlocking(Snmp* owner, Pdu& pdu, const SnmpTarget& target, int command);

    void ProcessEvents();
    int PendingEvents(std::vector<pollfd>& fds);
    unsigned long PendingEventsGeneration() const { return watch.Generation(); }

    int AddUser(const std::string& securityName, const CUsmCredentials& credentials);
    bool StartMessageProcessing(const std::string& engineId, unsigned int engineBoots);
    void FinishMessageProcessing();

    // For the library's own tests.
    const CNetSnmpUsers& Users() const { return users; }

private:
    struct CRequest {
        Snmp* owner = nullptr;
        snmp_callback callback = nullptr;
        void* data = nullptr;
        bool blocking = false;
        // The request's bindings until it ends, then what its callback gets.
        Pdu pdu;
        std::unique_ptr<SnmpTarget> target;
        bool done = false;
        int reason = SNMP_CLASS_SUCCESS;
    };

    CNetSnmpEngine() = default;

    void OnRequestEnded(std::uint64_t id, int reason, const netsnmp_pdu* response) override;

    int Prepare(Snmp* owner, const Pdu& pdu, const SnmpTarget& target, int command, bool blocking,
                CNetSnmpSession** session, netsnmp_pdu** out);
    // Takes request; gives it back when it could not be sent.
    int Start(CRequest& request, CNetSnmpSession& session, netsnmp_pdu* out, std::uint64_t* id);
    CNetSnmpSession* SessionFor(const Snmp* owner, const CSessionParams& params, int* result);
    bool Refuses(const Snmp* owner) const;
    void EndAll(Snmp* owner);
    // Hands out completions until due; what is left signals the watch.
    void Deliver(CNetSnmpClock::time_point due);
    void ForEachSession(const std::function<void(CNetSnmpSession&)>& action);
    // Ticks the sessions that are due and finds when the next one will be.
    void TickAll();
    void NoteNextEvent(const CNetSnmpSession& session, CNetSnmpClock::time_point now);

    CNetSnmpLibrary library;
    CNetSnmpUsers users;
    CNetSnmpWatch watch;
    std::map<const Snmp*, CNetSnmpSessionPool> pools;
    std::unordered_map<std::uint64_t, CRequest> requests;
    std::deque<std::uint64_t> finished;
    std::uint64_t lastId = 0;
    std::set<const Snmp*> detaching;
    bool finishing = false;
    // The earliest a session has a retransmission, time-out or deadline due,
    // as of the last look at all of them and the sends since: thousands of
    // sessions are not all looked at in every pass.
    CNetSnmpClock::time_point nextTick = CNetSnmpClock::time_point::min();
    // Some session has requests that may go out at any moment: every pass
    // looks at all of them.
    bool waitingSessions = false;
};
