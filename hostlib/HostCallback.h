#pragma once

#include "plugin/KRW6180Plug.h"

#include <cstdint>
#include <functional>

// What a host does with one report of the plug-in.
using CReportHandler = std::function<void(const HostResult*, int32_t, const HostClientEntry* const*, uint32_t)>;

// The plug-in calls back a bare function, so a host hands it
// ForwardHostReport and routes the reports to whatever object is current:
// the handler set last, on the thread that runs the plug-in's message loop.
// An empty handler drops the reports, as a host does that has finished with
// them.
void SetReportHandler(CReportHandler handler);

// The callback to hand to the plug-in: passes the report to the handler.
void ForwardHostReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                       uint32_t context);
