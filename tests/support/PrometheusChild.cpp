#include "tests/support/PrometheusChild.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FreePort.h"

#include <httplib.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace krwtest {

namespace {

const auto kBound = std::chrono::seconds(30);

}  // namespace

CPrometheusChild::CPrometheusChild(const std::filesystem::path& folder, const std::string& configuration)
    : folder(folder), port(FindFreeTcpPort())
{
    std::ofstream(folder / "prometheus.yml") << configuration;
    const int log = ::open((folder / "log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid = Spawn({PROMETHEUS_PROGRAM, "--config.file=" + (folder / "prometheus.yml").string(),
                 "--storage.tsdb.path=" + (folder / "data").string(),
                 "--web.listen-address=127.0.0.1:" + std::to_string(port)},
                EnvironmentWith({}), -1, log, log);
    ::close(log);
}

CPrometheusChild::~CPrometheusChild()
{
    StopChild(pid, kBound);
}

nlohmann::json CPrometheusChild::Query(const std::string& query) const
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(kBound);
    const httplib::Result result = client.Get("/api/v1/query", {{"query", query}}, httplib::Headers());
    const nlohmann::json answer = nlohmann::json::parse(result ? result->body : std::string(), nullptr, false);
    if (!answer.is_object() || answer.value("status", "") != "success")
        return nlohmann::json::array();
    return answer["data"]["result"];
}

std::string CPrometheusChild::Log() const
{
    std::ifstream in(folder / "log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace krwtest
