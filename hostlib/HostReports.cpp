#include "hostlib/HostReports.h"

namespace {

std::string Text(const char* text)
{
    return text != nullptr ? text : "";
}

CHostClient CopyClient(const HostClientEntry& entry)
{
    return {Text(entry.macAddress), Text(entry.band),     Text(entry.authentication), entry.rssi,
            Text(entry.powerSave),  Text(entry.ssidIndex)};
}

}  // namespace

CHostReport CopyHostReport(const HostResult& result, int32_t count, const HostClientEntry* const* entries)
{
    CHostReport report{std::string(),        result.status,      Text(result.message),
                       Text(result.address), Text(result.model), {}};
    for (int32_t i = 0; entries != nullptr && i < count; ++i)
        if (entries[i] != nullptr)
            report.clients.push_back(CopyClient(*entries[i]));
    return report;
}
