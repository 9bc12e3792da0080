// The plug-in calls back one bare function; the reports reach whichever
// handler is current.

#include "hostlib/HostCallback.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Report(uint32_t context)
{
    const HostResult result{0, "(VaZARO++) Ok!", "192.0.2.1", 0, "KRW-6180"};
    ForwardHostReport(&result, 0, nullptr, context);
}

TEST(HostCallbackTest, ReportsReachTheCurrentHandlerOnly)
{
    std::vector<uint32_t> first, second;
    SetReportHandler([&](const HostResult*, int32_t, const HostClientEntry* const*, uint32_t context) {
        first.push_back(context);
        // A handler may hand over to another while it runs.
        SetReportHandler(
            [&](const HostResult*, int32_t, const HostClientEntry* const*, uint32_t next) { second.push_back(next); });
    });
    Report(1);
    Report(2);
    SetReportHandler(nullptr);
    Report(3);
    EXPECT_EQ(std::vector<uint32_t>{1}, first);
    EXPECT_EQ(std::vector<uint32_t>{2}, second);
}

}  // namespace
