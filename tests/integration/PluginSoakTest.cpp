// A thousand retrievals in a row through the loaded plug-in: every report is
// right, and the process's memory does not grow after the first hundred.

#include "tests/support/MemoryInUse.h"
#include "tests/support/PluginTest.h"

#include <gtest/gtest.h>

namespace {

class PluginSoakTest : public krwtest::CPluginTest {};

TEST_F(PluginSoakTest, AThousandRetrievalsKeepTheirMemory)
{
    const int kRetrievals = 1000;
    const int kSettled = 100;
    auto agent = StartApSim({"--generate", "20", "--seed", "3"});
    ASSERT_TRUE(agent);
    host.SetParameters("public", "private", agent->Port(), 200);
    std::vector<krwtest::CRecordedClient> first;
    size_t settled = 0;
    for (int i = 0; i < kRetrievals; ++i) {
        host.reports.clear();
        host.Retrieve("127.0.0.1", static_cast<uint32_t>(i));
        ASSERT_TRUE(host.WaitForReports(1)) << "retrieval " << i;
        const krwtest::CRecordedReport& report = host.reports[0];
        ASSERT_EQ(0, report.status) << report.message;
        ASSERT_EQ(static_cast<uint32_t>(i), report.context);
        ASSERT_EQ(20u, report.clients.size());
        if (i == 0)
            first = report.clients;
        ASSERT_EQ(first, report.clients) << "retrieval " << i;
        if (i + 1 == kSettled) {
            host.reports.clear();
            host.reports.shrink_to_fit();
            settled = krwtest::MemoryInUse();
        }
    }
    host.reports.clear();
    host.reports.shrink_to_fit();
    first.clear();
    first.shrink_to_fit();
    const size_t end = krwtest::MemoryInUse();
    EXPECT_LE(end, settled + 64 * 1024) << "grew by " << (end - settled) << " bytes";
}

}  // namespace
