#include "host/HostRound.h"

#include <utility>

CHostRound::CHostRound(const std::vector<std::string>& names, std::vector<CHostTarget> roundTargets, uint32_t first)
    : requests(names), targets(std::move(roundTargets)), reported(names.size(), false), firstContext(first)
{
}

void CHostRound::Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    const uint32_t target = context - firstContext;
    if (result == nullptr || target >= targets.size())
        return;
    CHostReport report = CopyHostReport(*result, count, entries);
    for (const size_t name : targets[target].names) {
        if (reported[name])
            continue;
        reported[name] = true;
        report.request = requests[name];
        reports.push_back(report);
    }
}

std::vector<std::string> CHostRound::Missing() const
{
    std::vector<std::string> missing;
    for (size_t i = 0; i < requests.size(); ++i)
        if (!reported[i])
            missing.push_back(requests[i]);
    return missing;
}

int CHostRound::ExitStatus() const
{
    if (Outstanding() > 0)
        return 3;
    for (const CHostReport& report : reports)
        if (report.status != 0)
            return 1;
    return 0;
}
