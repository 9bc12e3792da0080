#pragma once

#include "snmplib/netsnmp/NetSnmpSession.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

// The Net-SNMP sessions of one Snmp object: opened when a request needs one,
// closed when they have been idle for a while or when too many idle ones
// have piled up, so that talking to many agents in turn keeps few sockets.
class CNetSnmpSessionPool {
public:
    CNetSnmpSession* Find(const CSessionParams& params) const;
    CNetSnmpSession* Add(std::unique_ptr<CNetSnmpSession> session);

    // Every session, retired ones included.
    void ForEach(const std::function<void(CNetSnmpSession&)>& action) const;
    // Sweep, unless the last one was only just now.
    void CloseIdle();
    // Closes sessions idle for long, and the oldest idle ones beyond those
    // kept that have been idle for a while; forgets retired sessions that
    // have finished.
    void Sweep();
    // Closes every session. Net-SNMP's own end of their requests is ignored;
    // the caller completes those requests.
    void CloseAll();
    // Sessions of this security name serve no new request and close once
    // idle: the user's credentials have changed.
    void Retire(const std::string& securityName);
    void Retire(const CSessionParams& params);

private:
    void CloseOldestIdle(size_t count, CNetSnmpClock::time_point usedBefore);

    std::map<CSessionParams, std::unique_ptr<CNetSnmpSession>> sessions;
    std::vector<std::unique_ptr<CNetSnmpSession>> retired;
    CNetSnmpClock::time_point nextSweep;
};
