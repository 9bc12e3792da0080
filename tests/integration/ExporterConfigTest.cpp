// krw6180-exporter's configuration files: SNMP profiles chosen per probe and
// read again on request, and a real Prometheus scraping over TLS with basic
// authentication, one job per profile.

#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ExporterChild.h"
#include "tests/support/PrometheusChild.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestCredentials.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

using krwtest::CExporterChild;
using krwtest::HoldsLine;

const auto kBound = std::chrono::seconds(30);
const char kSuccess[] = "krw6180_probe_success 1";
const char kFailure[] = "krw6180_probe_success 0";

void WriteFile(const std::filesystem::path& path, const std::string& text, mode_t mode = 0600)
{
    std::ofstream(path) << text;
    ::chmod(path.c_str(), mode);
}

std::string Profiles(const std::string& defaultCommunity)
{
    return "auths:\n  default:\n    community: " + defaultCommunity +
           "\n    write_community: beta\n    timeout: 300ms\n  lab:\n    community: alpha\n    write_community: beta\n";
}

// The reloads the exporter's metrics count, once it has counted n of them.
bool WaitForReloads(const CExporterChild& exporter, int n, const std::string& outcome)
{
    const std::string line = "krw6180_exporter_config_reloads_total{outcome=\"" + outcome + "\"} " + std::to_string(n);
    for (int poll = 0; poll < 300; ++poll)
        if (HoldsLine(exporter.Get("/metrics").body, line))
            return true;
    return false;
}

TEST(ExporterConfigTest, ProbesChooseAProfileThatReloadsChange)
{
    auto agent = krwtest::StartApSim({"-c", "alpha", "-w", "beta"});
    const auto folder = krwtest::MakeScratchFolder("krw-exporter-config-");
    const auto file = folder / "exporter.yml";
    WriteFile(file, Profiles("public"));
    CExporterChild exporter(agent->Port(), {"--config.file", file.string()});
    const auto probe = [&exporter](const std::string& query) {
        return exporter.Get("/probe?target=127.0.0.1" + query, "20");
    };
    EXPECT_TRUE(HoldsLine(probe("").body, kFailure));
    EXPECT_TRUE(HoldsLine(probe("&auth=lab").body, kSuccess));
    EXPECT_EQ(400, probe("&auth=nosuch").status);

    WriteFile(file, Profiles("alpha"));
    EXPECT_EQ(200, exporter.Request("POST", "/-/reload").status);
    EXPECT_TRUE(HoldsLine(probe("").body, kSuccess));
    // A file refused leaves the last one in force.
    const struct {
        const char* what;
        std::string text;
        mode_t mode;
        const char* reason;
    } refused[] = {
        {"broken", "auths: [", 0600, "exporter.yml"},
        {"readable by all with a write community", Profiles("public"), 0644, "readable by every user"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        WriteFile(file, r.text, r.mode);
        const krwtest::CHttpAnswer answer = exporter.Request("POST", "/-/reload");
        EXPECT_EQ(500, answer.status);
        EXPECT_NE(std::string::npos, answer.body.find(r.reason)) << answer.body;
        EXPECT_TRUE(HoldsLine(probe("").body, kSuccess));
    }
    WriteFile(file, Profiles("public"));
    ASSERT_EQ(0, ::kill(exporter.Pid(), SIGHUP));
    ASSERT_TRUE(WaitForReloads(exporter, 2, "success"));
    EXPECT_TRUE(HoldsLine(probe("").body, kFailure));
    krwtest::RemoveScratchFolder(folder);
}

// Three jobs: one per profile, and one with a wrong password.
std::string PrometheusConfiguration(unsigned short exporterPort)
{
    std::string configuration = "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n";
    for (const char* job : {"default", "lab", "wrong"})
        configuration += std::string("  - job_name: ") + job +
                         "\n    scheme: https\n    tls_config: {insecure_skip_verify: true}\n"
                         "    basic_auth: {username: prometheus, password: " +
                         (std::string(job) == "wrong" ? "guess" : "s3cret") +
                         "}\n    metrics_path: /probe\n    params: {auth: [" +
                         (std::string(job) == "lab" ? "lab" : "default") +
                         "]}\n    static_configs: [{targets: [127.0.0.1]}]\n"
                         "    relabel_configs:\n"
                         "      - {source_labels: [__address__], target_label: __param_target}\n"
                         "      - {source_labels: [__param_target], target_label: instance}\n"
                         "      - {target_label: __address__, replacement: 127.0.0.1:" +
                         std::to_string(exporterPort) + "}\n";
    return configuration;
}

// The values of a query's series, by job.
std::map<std::string, std::string> ByJob(const nlohmann::json& series)
{
    std::map<std::string, std::string> values;
    for (const auto& one : series)
        values[one["metric"].value("job", "")] = one["value"][1];
    return values;
}

TEST(ExporterConfigTest, PrometheusScrapesOverTlsWithBasicAuthOneJobPerProfile)
{
    auto publicAgent = krwtest::StartApSim({"--log-requests"});
    auto labAgent = krwtest::StartApSim({"-c", "alpha"});
    const auto folder = krwtest::MakeScratchFolder("krw-exporter-tls-");
    std::string cert, key;
    krwtest::MakeCertificate(&cert, &key);
    WriteFile(folder / "cert.pem", cert);
    WriteFile(folder / "key.pem", key);
    WriteFile(folder / "web.yml", "tls_server_config:\n  cert_file: cert.pem\n  key_file: key.pem\n"
                                  "basic_auth_users:\n  prometheus: " +
                                      krwtest::Bcrypt("s3cret") + "\n");
    WriteFile(folder / "exporter.yml",
              "auths:\n  default:\n    port: " + std::to_string(publicAgent->Port()) +
                  "\n  lab:\n    community: alpha\n    port: " + std::to_string(labAgent->Port()) + "\n");
    CExporterChild exporter(publicAgent->Port(), {"--config.file", (folder / "exporter.yml").string(),
                                                  "--web.config.file", (folder / "web.yml").string()});
    krwtest::CPrometheusChild prometheus(folder, PrometheusConfiguration(exporter.Port()));
    ASSERT_TRUE(prometheus.Started());
    std::map<std::string, std::string> clients, up;
    for (int scrape = 1; scrape <= 20 && (clients.size() < 2 || up.size() < 3); ++scrape) {
        if (!publicAgent->WaitLogged("request set", scrape, kBound))
            break;
        clients = ByJob(prometheus.Query("krw6180_clients"));
        up = ByJob(prometheus.Query("up"));
    }
    EXPECT_EQ((std::map<std::string, std::string>{{"default", "3"}, {"lab", "3"}}), clients);
    EXPECT_EQ((std::map<std::string, std::string>{{"default", "1"}, {"lab", "1"}, {"wrong", "0"}}), up);
    krwtest::RemoveScratchFolder(folder);
}

}  // namespace
