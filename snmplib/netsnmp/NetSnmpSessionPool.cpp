#include "snmplib/netsnmp/NetSnmpSessionPool.h"

#include <algorithm>

namespace {

// Idle sessions kept open for agents that are asked again soon. Beyond this
// many, a session closes once it has been idle for the grace time: agents
// asked in turn leave few sockets open, while many agents asked at once
// (each with a session for its asynchronous requests and one for its
// blocking reads, idle in turn) keep theirs between steps instead of
// opening a socket per request.
const size_t kMaxIdleSessions = 8;
const auto kIdleGrace = std::chrono::seconds(2);
const auto kIdleLifetime = std::chrono::seconds(30);
// How often the sessions are looked over between openings: a pass over all of
// them for every event would cost more than the events themselves when
// thousands of agents are asked at once.
const auto kSweepInterval = std::chrono::milliseconds(100);

}  // namespace

CNetSnmpSession* CNetSnmpSessionPool::Find(const CSessionParams& params) const
{
    auto found = sessions.find(params);
    return found == sessions.end() ? nullptr : found->second.get();
}

CNetSnmpSession* CNetSnmpSessionPool::Add(std::unique_ptr<CNetSnmpSession> session)
{
    Sweep();
    CNetSnmpSession* added = session.get();
    sessions[session->Params()] = std::move(session);
    return added;
}

void CNetSnmpSessionPool::ForEach(const std::function<void(CNetSnmpSession&)>& action) const
{
    for (const auto& entry : sessions)
        action(*entry.second);
    for (const auto& session : retired)
        action(*session);
}

void CNetSnmpSessionPool::CloseIdle()
{
    if (CNetSnmpClock::now() >= nextSweep)
        Sweep();
}

void CNetSnmpSessionPool::Sweep()
{
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const std::unique_ptr<CNetSnmpSession>& s) { return s->Outstanding() == 0; }),
                  retired.end());
    const auto now = CNetSnmpClock::now();
    nextSweep = now + kSweepInterval;
    size_t idle = 0;
    for (auto it = sessions.begin(); it != sessions.end();) {
        const CNetSnmpSession& session = *it->second;
        const bool isIdle = session.Outstanding() == 0;
        if (isIdle && now - session.LastUsed() > kIdleLifetime) {
            it = sessions.erase(it);
            continue;
        }
        idle += isIdle;
        ++it;
    }
    if (idle > kMaxIdleSessions)
        CloseOldestIdle(idle - kMaxIdleSessions, now - kIdleGrace);
}

void CNetSnmpSessionPool::CloseOldestIdle(size_t count, CNetSnmpClock::time_point usedBefore)
{
    std::vector<std::pair<CNetSnmpClock::time_point, const CSessionParams*>> idle;
    for (const auto& entry : sessions)
        if (entry.second->Outstanding() == 0 && entry.second->LastUsed() < usedBefore)
            idle.emplace_back(entry.second->LastUsed(), &entry.first);
    std::sort(idle.begin(), idle.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CSessionParams> oldest;
    for (size_t i = 0; i < count && i < idle.size(); ++i)
        oldest.push_back(*idle[i].second);
    for (const CSessionParams& params : oldest)
        sessions.erase(params);
}

void CNetSnmpSessionPool::CloseAll()
{
    sessions.clear();
    retired.clear();
}

void CNetSnmpSessionPool::Retire(const std::string& securityName)
{
    for (auto it = sessions.begin(); it != sessions.end();) {
        if (it->first.version == SNMP_VERSION_3 && it->first.securityName == securityName) {
            retired.push_back(std::move(it->second));
            it = sessions.erase(it);
        } else {
            ++it;
        }
    }
}

void CNetSnmpSessionPool::Retire(const CSessionParams& params)
{
    auto found = sessions.find(params);
    if (found == sessions.end())
        return;
    retired.push_back(std::move(found->second));
    sessions.erase(found);
}
