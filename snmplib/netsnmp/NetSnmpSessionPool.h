#pragma once

#include "snmplib/NetSnmpSession.h"

#include <map>
#include <memory>
#include <poll.h>
#include <vector>

// The Net-SNMP sessions of one Snmp object: opened when a request needs one,
// closed when they have been idle for a while or when too many idle ones
// have piled up, so that talking to many agents in turn keeps few sockets.
class CNetSnmpSessionPool {
public:
    // The session for params, opened if needed; null with *result set when
    // Net-SNMP refuses it.
    CNetSnmpSession* SessionFor(const CSessionParams& params, int* result);

    void ProcessEvents();
    void CloseIdle();
    // Closes every session. Net-SNMP's own end of their requests is ignored;
    // the caller completes those requests.
    void CloseAll();
    // Sessions of this security name are used no more and closed once idle:
    // the user's credentials have changed.
    void Retire(const std::string& securityName);
    void Retire(const CSessionParams& params);

    void AddWatches(std::vector<pollfd>& fds, int& timeoutMs) const;
    size_t Count() const { return sessions.size() + retired.size(); }

private:
    std::map<CSessionParams, std::unique_ptr<CNetSnmpSession>> sessions;
    std::vector<std::unique_ptr<CNetSnmpSession>> retired;
};
