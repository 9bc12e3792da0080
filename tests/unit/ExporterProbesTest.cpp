// How the exporter's probes share retrievals: only with the same SNMP
// profile, a probe of another profile waiting for the running one; never
// more than a bound at once, those whose probes gave up included.

#include "exporter/ExporterProbes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::chrono::seconds;

struct CStart {
    std::string address;
    uint32_t context;
    std::string community;  // the read community set just before
};
std::vector<CStart> g_started;
std::string g_community;

int32_t KRW6180PLUG_API RecordParameters(uint32_t, const char* read, const char*, int32_t, int32_t)
{
    g_community = read;
    return 0;
}

void KRW6180PLUG_API RecordStart(const char* address, HostCallback, uint32_t, uint32_t context)
{
    g_started.push_back({address, context, g_community});
}

CSnmpProfile Profile(const std::string& community)
{
    CSnmpProfile profile;
    profile.readCommunity = community;
    return profile;
}

class ExporterProbesTest : public ::testing::Test {
protected:
    void SetUp() override { g_started.clear(); }

    // A probe handed over and started; its outcome lands in *outcome.
    void Probe(const std::string& target, const std::string& auth, CProbeClock::time_point deadline,
               std::vector<CProbeOutcome>* outcomes)
    {
        ASSERT_TRUE(
            probes.Submit({target, auth, deadline, [outcomes](const CProbeOutcome& o) { outcomes->push_back(o); }}));
        probes.StartSubmitted(t0);
    }

    void Report(size_t start, int status = 0)
    {
        const HostResult result{status, "(VaZARO++) Ok!", g_started.at(start).address.c_str(), 0, "KRW-6180"};
        probes.Take(&result, 0, nullptr, g_started.at(start).context);
    }

    const CProbeClock::time_point t0 = CProbeClock::now();
    CExporterProbes probes{::GetCurrentThreadId(),
                           {RecordParameters, RecordStart},
                           {{"default", Profile("public")}, {"same", Profile("public")}, {"lab", Profile("alpha")}}};
};

TEST_F(ExporterProbesTest, ProbesShareARetrievalOnlyWithTheSameProfile)
{
    std::vector<CProbeOutcome> first, same, lab, lab2, unknown;
    Probe("10.0.0.1", "default", t0 + seconds(10), &first);
    Probe("10.0.0.1", "same", t0 + seconds(10), &same);
    Probe("10.0.0.1", "lab", t0 + seconds(10), &lab);
    Probe("10.0.0.1", "lab", t0 + seconds(10), &lab2);
    Probe("10.0.0.1", "nosuch", t0 + seconds(10), &unknown);
    ASSERT_EQ(1u, g_started.size());
    EXPECT_EQ("public", g_started[0].community);
    ASSERT_EQ(1u, unknown.size());
    EXPECT_EQ(CProbeOutcome::unknownAuth, unknown[0].kind);

    // The lab probes start together once the first retrieval has reported.
    Report(0);
    ASSERT_EQ(1u, first.size());
    ASSERT_EQ(1u, same.size());
    EXPECT_EQ(0, first[0].report.status);
    EXPECT_TRUE(lab.empty());
    ASSERT_EQ(2u, g_started.size());
    EXPECT_EQ("alpha", g_started[1].community);
    Report(1);
    EXPECT_EQ(1u, lab.size());
    EXPECT_EQ(1u, lab2.size());
    EXPECT_EQ(0u, probes.Running());
    EXPECT_EQ(0u, probes.Waiting());
}

TEST_F(ExporterProbesTest, AProbeEndsAtItsDeadlineButItsRetrievalCountsUntilItReports)
{
    std::vector<CProbeOutcome> outcomes;
    for (size_t i = 0; i < CExporterProbes::kMaxRunning; ++i)
        Probe("10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1", "default", t0 + seconds(1),
              &outcomes);
    probes.Sweep(t0 + seconds(2));
    ASSERT_EQ(CExporterProbes::kMaxRunning, outcomes.size());
    EXPECT_EQ(CProbeOutcome::timedOut, outcomes.back().kind);
    EXPECT_EQ(CExporterProbes::kMaxRunning, probes.Running());

    outcomes.clear();
    Probe("10.255.255.1", "default", t0 + seconds(10), &outcomes);
    ASSERT_EQ(1u, outcomes.size());
    EXPECT_EQ(CProbeOutcome::refused, outcomes[0].kind);
    EXPECT_EQ("too many access points are being probed at once", outcomes[0].report.message);
    // A late report frees its place.
    Report(0);
    Probe("10.255.255.1", "default", t0 + seconds(10), &outcomes);
    EXPECT_EQ(CExporterProbes::kMaxRunning + 1, g_started.size());
}

TEST_F(ExporterProbesTest, ClosingEndsEveryWaitingProbe)
{
    std::vector<CProbeOutcome> outcomes;
    Probe("10.0.0.1", "default", t0 + seconds(10), &outcomes);
    Probe("10.0.0.1", "lab", t0 + seconds(10), &outcomes);
    probes.Close("the exporter is stopping");
    ASSERT_EQ(2u, outcomes.size());
    for (const CProbeOutcome& outcome : outcomes) {
        EXPECT_EQ(CProbeOutcome::refused, outcome.kind);
        EXPECT_EQ("the exporter is stopping", outcome.report.message);
    }
    EXPECT_FALSE(probes.Submit({"10.0.0.1", "default", t0, [](const CProbeOutcome&) {}}));
}

}  // namespace
