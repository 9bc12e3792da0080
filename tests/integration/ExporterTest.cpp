// krw6180-exporter as Prometheus uses it: probes of simulated access points,
// and a real Prometheus server scraping it with the README's configuration.

#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ExporterChild.h"
#include "tests/support/FreePort.h"
#include "tests/support/PrometheusChild.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <iterator>
#include <regex>

namespace {

const auto kBound = std::chrono::seconds(30);

using krwtest::CExporterChild;
using krwtest::CHttpAnswer;
using krwtest::HoldsLine;

TEST(ExporterTest, AProbeAnswersWithTheClientsOrWhyNot)
{
    const std::string stopping = "krw6180_probe_failure_info{message=\"";
    const struct {
        const char* what;
        std::vector<std::string> agent;
        std::string path;
        std::string scrapeTimeout;
        int status;
        std::vector<std::string> lines;
    } cases[] = {
        {"success, with an SSID index to escape",
         {"--cell", "1:7:s:a\"b\\c\nd"},
         "/probe?target=127.0.0.1",
         "",
         200,
         {"krw6180_probe_success 1", "krw6180_clients 3",
          "krw6180_client_rssi_dbm{mac=\"000D88123456\",band=\"2.4GHz\",authentication=\"WPA2-Personal\","
          "power_save=\"Off\",ssid_index=\"a\\\"b\\\\c\\nd\"} -48",
          "krw6180_client_rssi_dbm{mac=\"0C8BFD0A1B2C\",band=\"2.4GHz\",authentication=\"WPA-Personal\","
          "power_save=\"Off\",ssid_index=\"1\"} -70"}},
        {"the refresh refused",
         {"--refresh-error", "5"},
         "/probe?target=localhost",
         "",
         200,
         {"krw6180_probe_success 0",
          "krw6180_probe_failure_info{message=\"(SNMP) Cannot perform operation, General Error!\"} 1"}},
        {"no report within the scrape time-out less its margin",
         {"--stop-after", "0"},
         "/probe?target=127.0.0.1",
         "1.5",
         200,
         {"krw6180_probe_success 0",
          "krw6180_probe_failure_info{message=\"no report within 1.0 s: the access point answers too slowly for "
          "the scrape time-out\"} 1"}},
        {"no target", {}, "/probe", "", 400, {"give one target parameter"}},
        {"two targets", {}, "/probe?target=127.0.0.1&target=127.0.0.2", "", 400, {"give one target parameter"}},
        {"a target with a NUL in it",
         {},
         "/probe?target=127.0.0.1%00x",
         "",
         400,
         {"the target is not an IPv4 address or a host name of one"}},
        {"a target with a port",
         {},
         "/probe?target=127.0.0.1:161",
         "",
         400,
         {"the target is not an IPv4 address or a host name of one"}},
        {"a name that does not resolve", {}, "/probe?target=nosuch.invalid", "", 200, {"krw6180_probe_success 0"}},
        {"a broken address",
         {},
         "/probe?target=1.2.3",
         "",
         400,
         {"the target is not an IPv4 address or a host name of one"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto agent = krwtest::StartApSim(c.agent);
        CExporterChild exporter(agent->Port(), {"-t", "1000"});
        const CHttpAnswer answer = exporter.Get(c.path, c.scrapeTimeout);
        EXPECT_EQ(c.status, answer.status);
        for (const std::string& line : c.lines)
            EXPECT_TRUE(HoldsLine(answer.body, line)) << line << "\nnot in:\n" << answer.body;
        if (c.status == 200) {
            EXPECT_EQ("text/plain; version=0.0.4; charset=utf-8", answer.contentType);
        }
    }
}

// The walks never get past the refresh, so that a retrieval is still out
// whenever a probe comes: every probe of the address joins it. A probe that
// waits when the exporter stops is ended.
TEST(ExporterTest, ProbesOfOneAddressShareARetrievalUntilTheExporterStops)
{
    auto agent = krwtest::StartApSim({"--log-requests", "--stop-after", "0", "--addresses", "2"});
    CExporterChild exporter(agent->Port(), {"-t", "1000"});
    const auto probe = [&exporter](const char* target, const char* scrapeTimeout) {
        return std::async(std::launch::async, [&exporter, target, scrapeTimeout] {
            return exporter.Get(std::string("/probe?target=") + target, scrapeTimeout);
        });
    };
    auto first = probe("127.0.0.1", "3");
    ASSERT_TRUE(agent->WaitLogged("dropped get-next", 1, kBound));
    auto second = probe("127.0.0.1", "2");
    auto third = probe("localhost", "2");
    for (auto* answer : {&first, &second, &third})
        EXPECT_TRUE(HoldsLine(answer->get().body, "krw6180_probe_success 0"));
    EXPECT_EQ(1, agent->Logged("request set"));
    const CHttpAnswer metrics = exporter.Get("/metrics");
    EXPECT_TRUE(HoldsLine(metrics.body, "krw6180_exporter_probes_total{outcome=\"no_report\"} 3")) << metrics.body;
    EXPECT_TRUE(std::regex_search(metrics.body, std::regex("\nprocess_open_fds [1-9][0-9]*\n"))) << metrics.body;

    auto last = probe("127.0.0.2", "60");
    ASSERT_TRUE(agent->WaitLogged("dropped get-next", 2, kBound));
    ASSERT_EQ(0, ::kill(exporter.Pid(), SIGTERM));
    const CHttpAnswer refused = last.get();
    EXPECT_EQ(503, refused.status);
    EXPECT_EQ("the exporter is stopping\n", refused.body);
    EXPECT_EQ(0, krwtest::WaitForExit(exporter.Pid(), kBound));
}

// A stop signal that comes as soon as the exporter says it listens, before
// or while its server starts, ends it all the same.
TEST(ExporterTest, AStopSignalRightAfterTheStartEndsTheExporter)
{
    for (int run = 0; run < 20; ++run) {
        CExporterChild exporter(krwtest::FindFreeUdpPort());
        ASSERT_EQ(0, ::kill(exporter.Pid(), run % 2 == 0 ? SIGTERM : SIGINT));
        ASSERT_EQ(0, krwtest::WaitForExit(exporter.Pid(), std::chrono::seconds(10))) << "run " << run;
    }
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The README's scrape configuration, for this access point and exporter.
std::string ScrapeConfiguration(unsigned short exporterPort)
{
    const std::string readme = ReadFile(std::filesystem::path(KRW_SOURCE_DIR) / "README.md");
    std::smatch block;
    if (!std::regex_search(readme, block, std::regex("```yaml\n(scrape_configs:[^`]*)```")))
        return std::string();
    std::string configuration = block[1];
    configuration = std::regex_replace(configuration, std::regex("192\\.0\\.2\\.10"), "127.0.0.1");
    configuration = std::regex_replace(configuration, std::regex("127\\.0\\.0\\.1:9180"),
                                       "127.0.0.1:" + std::to_string(exporterPort));
    return "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n" + configuration;
}

TEST(ExporterTest, PrometheusScrapesTheAccessPointThroughTheExporter)
{
    auto agent = krwtest::StartApSim({"--log-requests"});
    CExporterChild exporter(agent->Port());
    const std::filesystem::path folder = krwtest::MakeScratchFolder("krw-prometheus-");
    const std::string configuration = ScrapeConfiguration(exporter.Port());
    ASSERT_FALSE(configuration.empty()) << "README.md has no scrape configuration";
    krwtest::CPrometheusChild prometheus(folder, configuration);
    ASSERT_TRUE(prometheus.Started());
    // Each scrape refreshes the access point; after each, ask Prometheus
    // what it has stored.
    nlohmann::json found;
    for (int scrape = 1; scrape <= 20 && found.empty(); ++scrape) {
        if (!agent->WaitLogged("request set", scrape, kBound))
            break;
        const nlohmann::json series = prometheus.Query("krw6180_clients");
        if (!series.empty())
            found = series[0];
    }
    ASSERT_FALSE(found.empty()) << configuration << prometheus.Log();
    EXPECT_EQ("127.0.0.1", found["metric"].value("instance", ""));
    EXPECT_EQ("3", found["value"][1]);
    krwtest::RemoveScratchFolder(folder);
}

}  // namespace
