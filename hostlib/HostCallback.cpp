#include "hostlib/HostCallback.h"

#include <utility>

namespace {

CReportHandler& CurrentHandler()
{
    static CReportHandler handler;
    return handler;
}

}  // namespace

void SetReportHandler(CReportHandler handler)
{
    CurrentHandler() = std::move(handler);
}

void ForwardHostReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    // A copy, so that a handler may set another one while it runs.
    const CReportHandler handler = CurrentHandler();
    if (handler)
        handler(result, count, entries, context);
}
