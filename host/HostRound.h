#pragma once

#include "hostlib/HostAddresses.h"
#include "hostlib/HostReports.h"
#include "plugin/KRW6180Plug.h"

#include <cstdint>
#include <string>
#include <vector>

// One retrieval of every address: the reports in the order they arrived, one
// for each name given. Each retrieval has its own context value, unique
// across rounds, so that a report of an earlier round arriving late is told
// apart and left out.
class CHostRound {
public:
    CHostRound(const std::vector<std::string>& names, std::vector<CHostTarget> targets, uint32_t firstContext);

    const std::vector<CHostTarget>& Targets() const { return targets; }
    uint32_t ContextOf(size_t target) const { return firstContext + static_cast<uint32_t>(target); }
    // Copies the report, under every name of its retrieval, when its context
    // belongs to this round.
    void Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context);

    size_t Outstanding() const { return requests.size() - reports.size(); }
    const std::vector<CHostReport>& Reports() const { return reports; }
    // The names without a report, in command-line order.
    std::vector<std::string> Missing() const;
    // 0 when every name got a report with status 0, 3 when one got none,
    // otherwise 1.
    int ExitStatus() const;

private:
    std::vector<std::string> requests;
    std::vector<CHostTarget> targets;
    std::vector<bool> reported;
    uint32_t firstContext;
    std::vector<CHostReport> reports;
};
