#include "exporter/ExporterProbes.h"

#include "hostlib/HostAddresses.h"
#include "hostlib/HostCallback.h"

#include <algorithm>
#include <utility>

namespace {

template <class List>
void DropFinished(List& list)
{
    list.erase(std::remove_if(list.begin(), list.end(), [](const auto& item) { return item.waiter->finished; }),
               list.end());
}

CProbeOutcome Answer(const CHostReport& report)
{
    CProbeOutcome outcome;
    outcome.report = report;
    return outcome;
}

CProbeOutcome Refusal(const std::string& message)
{
    CProbeOutcome outcome = Answer(FailedReport(message));
    outcome.kind = CProbeOutcome::refused;
    return outcome;
}

}  // namespace

CExporterProbes::CExporterProbes(DWORD loopThread, CPluginCalls plugin, CSnmpProfiles profiles)
    : loopThread(loopThread), plugin(plugin), profiles(std::move(profiles))
{
}

bool CExporterProbes::Submit(CProbeRequest probe)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closed)
            return false;
        submitted.push_back(std::move(probe));
    }
    ++waitingCount;
    ::PostThreadMessage(loopThread, kMessage, 0, 0);
    return true;
}

void CExporterProbes::Finish(CWaiter& waiter, const CProbeOutcome& outcome)
{
    if (waiter.finished)
        return;
    waiter.finished = true;
    if (waiter.timed)
        deadlines.erase(waiter.deadlineEntry);
    waiter.timed = false;
    --waitingCount;
    waiter.done(outcome);
}

void CExporterProbes::StartSubmitted(CProbeClock::time_point now)
{
    std::vector<CProbeRequest> probes;
    {
        std::lock_guard<std::mutex> lock(mutex);
        probes.swap(submitted);
    }
    for (CProbeRequest& probe : probes)
        Begin(std::move(probe));
    Expire(now);
    DrainFreed();
}

void CExporterProbes::Begin(CProbeRequest probe)
{
    auto waiter = std::make_shared<CWaiter>(probe.deadline, std::move(probe.done));
    const auto profile = profiles.find(probe.auth);
    if (profile == profiles.end()) {
        CProbeOutcome outcome;
        outcome.kind = CProbeOutcome::unknownAuth;
        return Finish(*waiter, outcome);
    }
    waiter->deadlineEntry = deadlines.emplace(waiter->deadline, waiter);
    waiter->timed = true;
    CQueued queuedProbe{profile->second, waiter};
    std::string address;
    if (DottedAddressOf(probe.target, &address))
        return Schedule(address, std::move(queuedProbe));
    if (!MayBeHostName(probe.target))
        return Finish(*waiter, Answer(FailedReport("the target is not an IPv4 address or a host name of one")));
    if (!resolver.Start(probe.target))
        return Finish(*waiter, Refusal("too many host names are being resolved at once"));
    resolving[probe.target].push_back(std::move(queuedProbe));
}

void CExporterProbes::Schedule(const std::string& address, CQueued probe)
{
    const auto current = contextOf.find(address);
    if (current == contextOf.end())
        return StartRetrieval(address, probe.profile, {std::move(probe.waiter)});
    CRetrieval& retrieval = running[current->second];
    if (retrieval.profile == probe.profile) {
        retrieval.waiters.erase(std::remove_if(retrieval.waiters.begin(), retrieval.waiters.end(),
                                               [](const CWaiterPtr& w) { return w->finished; }),
                                retrieval.waiters.end());
        retrieval.waiters.push_back(std::move(probe.waiter));
        return;
    }
    std::deque<CQueued>& waiting = queued[address];
    DropFinished(waiting);
    waiting.push_back(std::move(probe));
}

void CExporterProbes::StartRetrieval(const std::string& address, const CSnmpProfile& profile,
                                     std::vector<CWaiterPtr> waiters)
{
    if (running.size() >= kMaxRunning) {
        for (const CWaiterPtr& waiter : waiters)
            Finish(*waiter, Refusal("too many access points are being probed at once"));
        return;
    }
    const uint32_t context = nextContext++;
    running[context] = CRetrieval{address, profile, std::move(waiters)};
    contextOf[address] = context;
    runningCount = running.size();
    // The plug-in takes its parameters at a retrieval's start and keeps them
    // for it. One that cannot start reports before the call returns.
    ++starting;
    plugin.setParameters(0, profile.readCommunity.c_str(), profile.writeCommunity.c_str(), profile.port,
                         profile.timeout);
    plugin.start(address.c_str(), ForwardHostReport, 0, context);
    --starting;
}

void CExporterProbes::StartQueued(const std::string& address)
{
    const auto found = queued.find(address);
    if (found == queued.end() || contextOf.count(address) != 0)
        return;
    std::deque<CQueued>& waiting = found->second;
    DropFinished(waiting);
    if (waiting.empty())
        return static_cast<void>(queued.erase(found));
    const CSnmpProfile profile = waiting.front().profile;
    std::vector<CWaiterPtr> joining;
    for (auto it = waiting.begin(); it != waiting.end();)
        if (it->profile == profile) {
            joining.push_back(std::move(it->waiter));
            it = waiting.erase(it);
        } else
            ++it;
    if (waiting.empty())
        queued.erase(found);
    StartRetrieval(address, profile, std::move(joining));
}

void CExporterProbes::DrainFreed()
{
    while (!freed.empty()) {
        const std::string address = std::move(freed.back());
        freed.pop_back();
        StartQueued(address);
    }
}

void CExporterProbes::Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                           uint32_t context)
{
    const auto found = running.find(context);
    if (result == nullptr || found == running.end())
        return;
    const CProbeOutcome outcome = Answer(CopyHostReport(*result, count, entries));
    const std::vector<CWaiterPtr> waiters = std::move(found->second.waiters);
    freed.push_back(found->second.address);
    contextOf.erase(found->second.address);
    running.erase(found);
    runningCount = running.size();
    for (const CWaiterPtr& waiter : waiters)
        Finish(*waiter, outcome);
    if (starting == 0)
        DrainFreed();
}

void CExporterProbes::TakeResolved()
{
    for (const CExporterResolver::CResolved& done : resolver.Poll()) {
        const auto found = resolving.find(done.name);
        if (found == resolving.end())
            continue;
        std::vector<CQueued> probes = std::move(found->second);
        resolving.erase(found);
        for (CQueued& probe : probes) {
            if (probe.waiter->finished)
                continue;
            if (done.resolved)
                Schedule(done.address, std::move(probe));
            else
                Finish(*probe.waiter, Answer(FailedReport(done.reason)));
        }
    }
}

void CExporterProbes::Expire(CProbeClock::time_point now)
{
    // A waiter's entry goes when it finishes: every entry left is a wait.
    CProbeOutcome outcome;
    outcome.kind = CProbeOutcome::timedOut;
    while (!deadlines.empty() && deadlines.begin()->first <= now) {
        const CWaiterPtr waiter = deadlines.begin()->second.lock();
        if (waiter)
            Finish(*waiter, outcome);
        else
            deadlines.erase(deadlines.begin());
    }
    // A name no probe waits for any longer is not worth its lookup.
    for (auto it = resolving.begin(); it != resolving.end();) {
        DropFinished(it->second);
        if (!it->second.empty()) {
            ++it;
            continue;
        }
        resolver.Cancel(it->first);
        it = resolving.erase(it);
    }
}

void CExporterProbes::Sweep(CProbeClock::time_point now)
{
    TakeResolved();
    Expire(now);
    DrainFreed();
}

void CExporterProbes::SetProfiles(CSnmpProfiles newProfiles)
{
    profiles = std::move(newProfiles);
}

void CExporterProbes::Close(const std::string& message)
{
    std::vector<CProbeRequest> probes;
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        probes.swap(submitted);
    }
    const CProbeOutcome outcome = Refusal(message);
    for (CProbeRequest& probe : probes) {
        CWaiter waiter(probe.deadline, std::move(probe.done));
        Finish(waiter, outcome);
    }
    for (auto& entry : resolving)
        for (CQueued& probe : entry.second)
            Finish(*probe.waiter, outcome);
    for (auto& entry : queued)
        for (CQueued& probe : entry.second)
            Finish(*probe.waiter, outcome);
    for (auto& entry : running)
        for (const CWaiterPtr& waiter : entry.second.waiters)
            Finish(*waiter, outcome);
    resolving.clear();
    queued.clear();
    deadlines.clear();
}

CHostReport FailedReport(const std::string& message)
{
    CHostReport report;
    report.status = 1;
    report.message = message;
    return report;
}
