#include "snmplib/NetSnmpSessionPool.h"

#include <algorithm>

namespace {

// Idle sessions kept open for agents that are asked again soon.
const size_t kMaxIdleSessions = 8;
const auto kIdleLifetime = std::chrono::seconds(30);

void KeepEarlier(int& timeoutMs, int candidate)
{
    if (candidate >= 0 && (timeoutMs < 0 || candidate < timeoutMs))
        timeoutMs = candidate;
}

}  // namespace

CNetSnmpSession* CNetSnmpSessionPool::SessionFor(const CSessionParams& params, int* result)
{
    auto found = sessions.find(params);
    if (found != sessions.end())
        return found->second.get();
    std::unique_ptr<CNetSnmpSession> session = CNetSnmpSession::Open(params, result);
    if (!session)
        return nullptr;
    CNetSnmpSession* opened = session.get();
    sessions.emplace(params, std::move(session));
    return opened;
}

void CNetSnmpSessionPool::ProcessEvents()
{
    for (auto& entry : sessions)
        entry.second->ProcessEvents();
    for (auto& session : retired)
        session->ProcessEvents();
}

void CNetSnmpSessionPool::CloseIdle()
{
    retired.erase(std::remove_if(retired.begin(), retired.end(),
                                 [](const std::unique_ptr<CNetSnmpSession>& s) { return s->Outstanding() == 0; }),
                  retired.end());
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::pair<std::chrono::steady_clock::time_point, CSessionParams>> idle;
    for (auto it = sessions.begin(); it != sessions.end();) {
        const CNetSnmpSession& session = *it->second;
        if (session.Outstanding() == 0 && now - session.LastUsed() > kIdleLifetime) {
            it = sessions.erase(it);
            continue;
        }
        if (session.Outstanding() == 0)
            idle.emplace_back(session.LastUsed(), it->first);
        ++it;
    }
    if (idle.size() <= kMaxIdleSessions)
        return;
    std::sort(idle.begin(), idle.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i + kMaxIdleSessions < idle.size(); ++i)
        sessions.erase(idle[i].second);
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

void CNetSnmpSessionPool::AddWatches(std::vector<pollfd>& fds, int& timeoutMs) const
{
    auto watch = [&](const CNetSnmpSession& session) {
        if (session.Outstanding() == 0 || session.Socket() < 0)
            return;
        fds.push_back(pollfd{session.Socket(), POLLIN, 0});
        KeepEarlier(timeoutMs, session.MillisecondsToNextTimeout());
    };
    for (const auto& entry : sessions)
        watch(*entry.second);
    for (const auto& session : retired)
        watch(*session);
}
