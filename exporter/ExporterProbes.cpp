#include "exporter/ExporterProbes.h"

#include <algorithm>
#include <iterator>
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

void CExporterProbes::StartSubmitted(CProbeClock::time_point now)
{
    std::vector<CSubmitted> probes;
    {
        std::lock_guard<std::mutex> lock(mutex);
        probes.swap(submitted);
    }
    for (CSubmitted& probe : probes)
        Start(std::move(probe), now);
}

bool CExporterProbes::Join(CSubmitted& probe, CProbeClock::time_point now)
{
    const auto joined = contextOf.find(probe.address);
    if (joined == contextOf.end())
        return false;
    CRetrieval& retrieval = running[joined->second];
    if (now >= retrieval.started + kLifetime)
        return false;
    retrieval.expiry = std::max(retrieval.expiry, probe.waiter->Deadline());
    retrieval.waiters.push_back(std::move(probe.waiter));
    return true;
}

void CExporterProbes::Start(CSubmitted probe, CProbeClock::time_point now)
{
    if (Join(probe, now))
        return;
    if (running.size() >= kMaxRunning)
        return probe.waiter->Complete(FailedReport("too many access points are being probed at once"));
    const uint32_t context = nextContext++;
    const CProbeClock::time_point expiry = std::max(now + kLifetime, probe.waiter->Deadline());
    running[context] = CRetrieval{probe.address, now, expiry, {std::move(probe.waiter)}};
    contextOf[probe.address] = context;
    // A retrieval that cannot start reports before the call returns.
    start(probe.address.c_str(), TakeProbeReport, 0, context);
}

void CExporterProbes::Forget(std::map<uint32_t, CRetrieval>::iterator retrieval)
{
    const auto current = contextOf.find(retrieval->second.address);
    if (current != contextOf.end() && current->second == retrieval->first)
        contextOf.erase(current);
    running.erase(retrieval);
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
    Forget(found);
}

void CExporterProbes::Sweep(CProbeClock::time_point now)
{
    for (auto it = running.begin(); it != running.end();) {
        const auto next = std::next(it);
        if (it->second.expiry <= now)
            Forget(it);
        it = next;
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
    const CHostReport report = FailedReport(message);
    for (const CSubmitted& probe : probes)
        probe.waiter->Complete(report);
    for (auto& entry : running)
        for (const std::shared_ptr<CProbeWaiter>& waiter : entry.second.waiters)
            waiter->Complete(report);
    running.clear();
    contextOf.clear();
}

CHostReport FailedReport(const std::string& message)
{
    CHostReport report;
    report.status = 1;
    report.message = message;
    return report;
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
