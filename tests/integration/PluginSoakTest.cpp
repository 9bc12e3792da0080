// Many retrievals through the loaded plug-in: a thousand in a row, whose
// memory does not grow after the first hundred, and a hundred at once.

#include "tests/support/MemoryInUse.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/PluginTest.h"
#include "tests/support/SnmplibPump.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

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

namespace {

// The descriptors of this process pushed above 1023 for as long as it lives.
class CHighDescriptors {
public:
    CHighDescriptors()
    {
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit raised = saved;
        raised.rlim_cur = saved.rlim_max;
        setrlimit(RLIMIT_NOFILE, &raised);
        while (fillers.size() < 2048 && (fillers.empty() || fillers.back() < 1100)) {
            const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                break;
            fillers.push_back(fd);
        }
    }
    ~CHighDescriptors()
    {
        for (int fd : fillers)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &saved);
    }
    bool Above1023() const { return !fillers.empty() && fillers.back() >= 1100; }

private:
    rlimit saved;
    std::vector<int> fillers;
};

// A hundred access points asked at once, every socket above descriptor 1023:
// each reports its clients, exactly, and the sockets close again afterwards.
TEST_F(PluginSoakTest, AHundredAccessPointsAtOnce)
{
    const int kAccessPoints = 100;
    auto agent = StartApSim({"--addresses", std::to_string(kAccessPoints), "--generate", "20", "--seed", "5"});
    ASSERT_TRUE(agent);
    host.SetParameters("public", "private", agent->Port(), 1000);
    host.Retrieve("127.0.0.1", 0);
    ASSERT_TRUE(host.WaitForReports(1));
    const std::vector<krwtest::CRecordedClient> expected = host.reports[0].clients;
    ASSERT_EQ(20u, expected.size());
    host.reports.clear();

    CHighDescriptors high;
    ASSERT_TRUE(high.Above1023());
    const std::set<int> before = krwtest::OpenSockets();
    std::vector<std::string> addresses;
    for (int i = 1; i <= kAccessPoints; ++i) {
        addresses.push_back("127.0.0." + std::to_string(i));
        host.Retrieve(addresses.back().c_str(), static_cast<uint32_t>(i));
    }
    ASSERT_TRUE(host.WaitForReports(kAccessPoints, 120000));
    std::set<std::string> reported;
    for (const krwtest::CRecordedReport& report : host.reports) {
        SCOPED_TRACE(report.address);
        EXPECT_EQ(0, report.status) << report.message;
        EXPECT_EQ("127.0.0." + std::to_string(report.context), report.address);
        EXPECT_EQ(expected, report.clients);
        reported.insert(report.address);
    }
    EXPECT_EQ(static_cast<size_t>(kAccessPoints), reported.size());
    // Idle sessions beyond a few close after a grace time of seconds.
    EXPECT_TRUE(krwtest::RunMessagesUntil([&] { return krwtest::OpenSockets().size() <= before.size() + 10; }, 30000))
        << krwtest::OpenSockets().size() << " sockets open, " << before.size() << " before";
}

}  // namespace
