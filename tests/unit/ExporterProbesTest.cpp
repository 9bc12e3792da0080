// How the exporter's probes share retrievals: for a retrieval's lifetime
// only, whatever the waits of the probes that join it, and never more than
// a bound at once.

#include "exporter/ExporterProbes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::chrono::seconds;

std::vector<std::pair<std::string, uint32_t>> g_started;

void KRW6180PLUG_API RecordStart(const char* address, HostCallback, uint32_t, uint32_t context)
{
    g_started.emplace_back(address, context);
}

class ExporterProbesTest : public ::testing::Test {
protected:
    void SetUp() override { g_started.clear(); }

    std::shared_ptr<CProbeWaiter> Probe(const std::string& address, CProbeClock::time_point deadline,
                                        CProbeClock::time_point now)
    {
        auto waiter = probes.Submit(address, deadline);
        probes.StartSubmitted(now);
        return waiter;
    }

    CExporterProbes probes{::GetCurrentThreadId(), RecordStart};
    const CProbeClock::time_point t0 = CProbeClock::now();
};

TEST_F(ExporterProbesTest, AProbeJoinsARetrievalOnlyWithinItsLifetime)
{
    auto first = Probe("10.0.0.1", t0 + seconds(10), t0);
    // A long wait extends when the retrieval is forgotten, not how long it
    // may be joined.
    auto joined = Probe("10.0.0.1", t0 + seconds(100), t0 + seconds(59));
    auto late = Probe("10.0.0.1", t0 + seconds(10), t0 + seconds(61));
    ASSERT_EQ(2u, g_started.size());
    EXPECT_EQ(2u, probes.Running());

    const HostResult result{0, "(VaZARO++) Ok!", "10.0.0.1", 0, "KRW-6180"};
    probes.Take(&result, 0, nullptr, g_started[0].second);
    CHostReport report;
    for (auto* waiter : {&first, &joined}) {
        ASSERT_TRUE((*waiter)->Wait(&report));
        EXPECT_EQ(0, report.status);
    }
    EXPECT_EQ(1u, probes.Running());
    probes.Sweep(t0 + seconds(121));
    EXPECT_EQ(0u, probes.Running());
    // A report after the retrieval was forgotten reaches no one.
    probes.Take(&result, 0, nullptr, g_started[1].second);
    auto again = Probe("10.0.0.1", t0 + seconds(10), t0 + seconds(122));
    EXPECT_EQ(3u, g_started.size());
}

TEST_F(ExporterProbesTest, RetrievalsRunningAtOnceAreBounded)
{
    std::vector<std::shared_ptr<CProbeWaiter>> waiters;
    for (size_t i = 0; i < CExporterProbes::kMaxRunning; ++i)
        waiters.push_back(
            Probe("10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1", t0 + seconds(10), t0));
    auto refused = Probe("10.255.255.1", t0 + seconds(10), t0);
    CHostReport report;
    ASSERT_TRUE(refused->Wait(&report));
    EXPECT_EQ("too many access points are being probed at once", report.message);
    EXPECT_EQ(CExporterProbes::kMaxRunning, g_started.size());
}

}  // namespace
