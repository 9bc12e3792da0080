#include "exporter/ExporterProbes.h"

#include <algorithm>
#include <utility>

namespace {

CExporterProbes* g_currentProbes = nullptr;

}  // namespace

void CProbeWaiter::Complete(const CHostReport& report)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (done)
            return;
        done = true;
        result = report;
    }
    completed.notify_all();
}

bool CProbeWaiter::Wait(CHostReport* report)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!completed.wait_until(lock, deadline, [this] { return done; }))
        return false;
    *report = result;
    return true;
}

std::shared_ptr<CProbeWaiter> CExporterProbes::Submit(const std::string& address, CProbeClock::time_point deadline)
{
    auto waiter = std::make_shared<CProbeWaiter>(deadline);
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closed)
            return nullptr;
        submitted.push_back({address, waiter});
    }
    ::PostThreadMessage(loopThread, kMessage, 0, 0);
    return waiter;
}

void CExporterProbes::StartSubmitted()
{
    std::vector<CSubmitted> probes;
    {
        std::lock_guard<std::mutex> lock(mutex);
        probes.swap(submitted);
    }
    for (CSubmitted& probe : probes)
        Start(std::move(probe));
}

void CExporterProbes::Start(CSubmitted probe)
{
    const CProbeClock::time_point deadline = probe.waiter->Deadline();
    const auto joined = contextOf.find(probe.address);
    if (joined != contextOf.end()) {
        CRetrieval& retrieval = running[joined->second];
        retrieval.waiters.push_back(std::move(probe.waiter));
        retrieval.expiry = std::max(retrieval.expiry, deadline);
        return;
    }
    const uint32_t context = nextContext++;
    const CProbeClock::time_point expiry = std::max(CProbeClock::now() + kLifetime, deadline);
    running[context] = CRetrieval{probe.address, expiry, {std::move(probe.waiter)}};
    contextOf[probe.address] = context;
    // A retrieval that cannot start reports before the call returns.
    start(probe.address.c_str(), TakeProbeReport, 0, context);
}

void CExporterProbes::Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                           uint32_t context)
{
    const auto found = running.find(context);
    if (result == nullptr || found == running.end())
        return;
    const CHostReport report = CopyHostReport(*result, count, entries);
    for (const std::shared_ptr<CProbeWaiter>& waiter : found->second.waiters)
        waiter->Complete(report);
    contextOf.erase(found->second.address);
    running.erase(found);
}

void CExporterProbes::Sweep(CProbeClock::time_point now)
{
    for (auto it = running.begin(); it != running.end();) {
        if (it->second.expiry > now) {
            ++it;
            continue;
        }
        contextOf.erase(it->second.address);
        it = running.erase(it);
    }
}

void CExporterProbes::Close(const std::string& message)
{
    std::vector<CSubmitted> probes;
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        probes.swap(submitted);
    }
    CHostReport report;
    report.status = 1;
    report.message = message;
    for (const CSubmitted& probe : probes)
        probe.waiter->Complete(report);
    for (auto& entry : running)
        for (const std::shared_ptr<CProbeWaiter>& waiter : entry.second.waiters)
            waiter->Complete(report);
    running.clear();
    contextOf.clear();
}

void TakeProbeReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    if (g_currentProbes != nullptr)
        g_currentProbes->Take(result, count, entries, context);
}

void SetCurrentProbes(CExporterProbes* probes)
{
    g_currentProbes = probes;
}
