// The plug-in module itself: what it exports, a load it refuses, and an
// unload while a retrieval is still walking.

#include "tests/support/ChildProcess.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/PluginTest.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using krwtest::CRecordedReport;

TEST(PluginModule, OnlyTheTwoExportsLeaveTheModule)
{
    int status = -1;
    std::vector<std::string> names;
    for (const std::string& line : krwtest::OutputLines(
             krwtest::RunProgram({KRW_NM_PROGRAM, "-D", "--defined-only", KRW_PLUGIN_MODULE}, {}, &status)))
        names.push_back(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(0, status);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"KRW6180PlugGetClinetInfor", "KRW6180PlugSetSnmpParameter"}), names);

    // The framework's keyword lists are in, although nothing refers to them.
    const std::string symbols = krwtest::RunProgram({KRW_NM_PROGRAM, "--defined-only", KRW_PLUGIN_MODULE}, {}, &status);
    for (const char* list : {"SyntaxKeywords", "AccessKeywords", "ItemTypeKeywords"})
        EXPECT_NE(std::string::npos, symbols.find(list)) << list;
}

// The engine-boots counter cannot be kept where the session wants it: the
// user is told once, and the module does not load.
TEST(PluginModule, ASessionThatCannotStartRefusesTheLoad)
{
    const std::filesystem::path scratch = krwtest::MakeScratchFolder("krw-refuse-");
    std::filesystem::create_directory(scratch / "QvSNMP_PP_BootCounter");
    ::setenv("TMPDIR", scratch.c_str(), 1);
    krwtest::CPluginHost host;
    std::string error;
    testing::internal::CaptureStderr();
    const bool loaded = host.Load(&error);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(loaded);
    EXPECT_EQ("(VaZARO++) Error when saving SNMP engine boots counter!\n", shown);

    std::filesystem::remove(scratch / "QvSNMP_PP_BootCounter");
    EXPECT_TRUE(host.Load(&error)) << error;
    host.Unload();
    ::unsetenv("TMPDIR");
    krwtest::RemoveScratchFolder(scratch);
}

class PluginUnloadTest : public krwtest::CPluginTest {
protected:
    static size_t OpenDescriptors()
    {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
    }
};

// The counter the plug-in keeps in its folder, or -1.
long StoredBootCounter(const std::filesystem::path& folder)
{
    std::ifstream in(folder / "QvSNMP_PP_BootCounter");
    std::string id;
    long counter = -1;
    in >> id >> counter;
    return counter;
}

// A host may load and unload the module again and again, once in the middle
// of a walk: nothing of an unloaded module stays open, and every load counts
// one engine boot. (Leaks are the sanitizer's and valgrind's to find: each
// start of Net-SNMP registers a few bytes with OpenSSL that stay until exit.)
TEST_F(PluginUnloadTest, EveryLoadLeavesWithItsUnload)
{
    const int kLoads = 100;
    const int kMidWalk = 50;
    const int kSettled = 10;
    auto agent = StartApSim({});
    auto slow = StartApSim({"--delay", "50", "--log-requests"});
    ASSERT_TRUE(agent && slow);
    size_t descriptors = 0;
    for (int i = 0; i < kLoads; ++i) {
        std::string error;
        ASSERT_TRUE(host.Loaded() || host.Load(&error)) << error;
        host.reports.clear();
        if (i == kMidWalk) {
            host.SetParameters("public", "private", slow->Port(), 400);
            host.Retrieve("127.0.0.1", 1);
            ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return slow->Logged("request get-next") >= 2; }, 30000));
        } else {
            host.SetParameters("public", "private", agent->Port(), 100);
            host.Retrieve("127.0.0.1", 1);
            ASSERT_TRUE(host.WaitForReports(1));
            EXPECT_EQ(3u, host.reports[0].clients.size());
        }
        host.Unload();
        if (i == kSettled)
            descriptors = OpenDescriptors();
    }
    EXPECT_EQ(descriptors, OpenDescriptors());
    EXPECT_EQ(kLoads, StoredBootCounter(scratch));
}

// Two modules built on the library in one host, each with a copy of it of
// its own over the one Net-SNMP of the process: retrievals work in both, in
// every order of loading and unloading, and the last unload ends it all.
TEST_F(PluginUnloadTest, TwoModulesOfTheLibraryLiveInOneHost)
{
    auto agent = StartApSim({});
    ASSERT_TRUE(agent);
    const std::filesystem::path copy = scratch / "copy" / "libkrw6180plug.so";
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(KRW_PLUGIN_MODULE, copy);
    host.Unload();
    for (const bool copyLoadsFirst : {false, true})
        for (const bool copyLeavesFirst : {false, true}) {
            SCOPED_TRACE(std::string(copyLoadsFirst ? "copy loaded first, " : "copy loaded last, ") +
                         (copyLeavesFirst ? "copy unloaded first" : "copy unloaded last"));
            krwtest::CPluginHost original;
            krwtest::CPluginHost other;  // receives the reports of both
            std::string error;
            for (const bool loadCopy : {copyLoadsFirst, !copyLoadsFirst})
                ASSERT_TRUE(loadCopy ? other.Load(&error, copy.string()) : original.Load(&error)) << error;
            for (krwtest::CPluginHost* h : {&original, &other})
                h->SetParameters("public", "private", agent->Port(), 100);
            original.Retrieve("127.0.0.1", 1);
            other.Retrieve("127.0.0.1", 2);
            ASSERT_TRUE(other.WaitForReports(2));
            (copyLeavesFirst ? other : original).Unload();
            krwtest::CPluginHost& left = copyLeavesFirst ? original : other;
            left.Retrieve("127.0.0.1", 3);
            ASSERT_TRUE(other.WaitForReports(3));
            left.Unload();
            for (const CRecordedReport& report : other.reports) {
                EXPECT_EQ(0, report.status) << report.message;
                EXPECT_EQ(3u, report.clients.size()) << report.context;
            }
        }
}

// The folder of the counter goes away while the module is loaded: the unload
// does not need it, and the next load is refused as for any folder it cannot
// write to.
TEST_F(PluginUnloadTest, TheCounterFolderMayVanishWhileLoaded)
{
    const std::filesystem::path folder = scratch / "vanishing";
    std::filesystem::create_directory(folder);
    host.Unload();
    ::setenv("TMPDIR", folder.c_str(), 1);
    std::string error;
    ASSERT_TRUE(host.Load(&error)) << error;
    std::filesystem::remove_all(folder);
    host.Unload();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(host.Load(&error));
    EXPECT_EQ("(VaZARO++) Error when saving SNMP engine boots counter!\n", testing::internal::GetCapturedStderr());
    ::setenv("TMPDIR", scratch.c_str(), 1);
}

// The unload waits for the request in flight, a step or a band read; its
// completion is handled (the end of the table still reports) but starts no
// further request. The step past the end of an SNMPv1 MIB ends one column
// there: the step is asked once more without it, and then the table ends.
TEST_F(PluginUnloadTest, UnloadingWaitsForTheRequestInFlight)
{
    const char kStep[] = "request get-next 1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.2";
    const char kBand[] = "request get 1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1";
    const struct {
        const char* what;
        std::vector<std::string> options;
        const char* inFlight;
        int steps;  // the in-flight request is the last of these
        size_t reports;
        int clients;
        int askedAgain = 0;
    } cases[] = {
        {"the last step", {"--generate", "0", "--delay", "300"}, kStep, 1, 1, 0},
        {"the band read of the last step", {"--generate", "0", "--delay", "300"}, kBand, 1, 1, 0},
        {"a step in the middle", {"--delay", "300"}, kStep, 1, 0, 0},
        {"the step past the end of an SNMPv1 MIB", {"--end-mib-with-table", "--delay", "300"}, kStep, 4, 1, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> options = c.options;
        options.push_back("--log-requests");
        auto agent = StartApSim(options);
        ASSERT_TRUE(agent);
        std::string error;
        ASSERT_TRUE(host.Loaded() || host.Load(&error)) << error;
        host.reports.clear();
        host.SetParameters("public", "private", agent->Port(), 400);
        host.Retrieve("127.0.0.1", 3);
        ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return agent->Logged(c.inFlight) >= c.steps; }, 30000));
        host.Unload();
        ASSERT_EQ(c.reports, host.reports.size());
        if (c.reports == 1) {
            EXPECT_EQ(0, host.reports[0].status);
            EXPECT_EQ(c.clients, host.reports[0].count);
        }
        EXPECT_EQ(c.steps + c.askedAgain, agent->Logged(kStep));
    }
}

// A step that is never answered holds the unload for 6000 ms (in whole
// milliseconds of the tick count), not longer.
TEST_F(PluginUnloadTest, AStepThatIsNeverAnsweredHoldsTheUnloadForSixSeconds)
{
    auto agent = StartApSim({"--stop-after", "0", "--log-requests"});
    ASSERT_TRUE(agent);
    host.SetParameters("public", "private", agent->Port(), 6000);
    host.Retrieve("127.0.0.1", 3);
    ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return agent->Logged("dropped get-next") >= 1; }, 30000));
    const auto start = std::chrono::steady_clock::now();
    host.Unload();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(6000 - 1));
    EXPECT_LT(waited, std::chrono::milliseconds(6000 + 3000));
    EXPECT_TRUE(host.reports.empty());
}

}  // namespace
