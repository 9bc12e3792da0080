#include "exporter/ExporterServer.h"

#include "exporter/ExporterTaskQueue.h"
#include "host/HostAddresses.h"

#include <sys/socket.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const size_t kMaxThreads = 4096;
const double kDefaultWaitSeconds = 10;
const double kMarginSeconds = 0.5;
const double kLongestWaitSeconds = std::chrono::duration<double>(CExporterProbes::kLifetime).count();
const auto kStartBound = std::chrono::seconds(10);

const char kIndexPage[] =
    "<html><head><title>krw6180-exporter</title></head><body>\n"
    "<h1>krw6180-exporter</h1>\n"
    "<p><a href=\"probe?target=192.0.2.1\">probe?target=192.0.2.1</a>: the clients of one access point</p>\n"
    "<p><a href=\"metrics\">metrics</a>: the exporter's own</p>\n"
    "</body></html>\n";

std::string Seconds(double seconds)
{
    char text[32];
    snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

void BadRequest(httplib::Response& response, const std::string& reason)
{
    response.status = 400;
    response.set_content(reason + "\n", "text/plain; charset=utf-8");
}

// The report a probe ends with when none came in time.
CHostReport NoReport(double waitSeconds)
{
    return FailedReport("no report within " + Seconds(waitSeconds) +
                        " s: the access point answers too slowly for the scrape time-out");
}

}  // namespace

double ProbeWaitSeconds(const std::string& scrapeTimeout)
{
    char* end = nullptr;
    const double seconds = std::strtod(scrapeTimeout.c_str(), &end);
    if (scrapeTimeout.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0)
        return kDefaultWaitSeconds;
    const double wait = seconds > 2 * kMarginSeconds ? seconds - kMarginSeconds : seconds / 2;
    return std::min(wait, kLongestWaitSeconds);
}

CExporterServer::CExporterServer(CExporterProbes& probes, CExporterStats& stats) : probes(probes), stats(stats)
{
    server.new_task_queue = [] { return new CExporterTaskQueue(kMaxThreads); };
    server.set_socket_options([this](socket_t socket) {
        httplib::default_socket_options(socket);
        listening = socket;
    });
    server.Get("/probe", [this](const httplib::Request& q, httplib::Response& r) { Probe(q, r); });
    server.Get("/metrics", [this](const httplib::Request&, httplib::Response& r) {
        r.set_content(ExporterMetrics(this->stats), kExpositionContentType);
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& r) { r.set_content(kIndexPage, "text/html"); });
}

bool CExporterServer::Bind(const std::string& host, int wanted, std::string* error)
{
    errno = 0;
    port = wanted == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, wanted) ? wanted : -1);
    // The server listens with a backlog of 5: Prometheus' scrapes of many
    // access points that come at once would have their connections dropped
    // and retried a second later. Listening again sets a longer one.
    if (port > 0 && ::listen(listening, SOMAXCONN) == 0)
        return true;
    *error = errno != 0 ? std::strerror(errno) : "the address cannot be used";
    return false;
}

CExporterServer::~CExporterServer()
{
    Stop();
}

void CExporterServer::Start(DWORD loopThread)
{
    serving = std::thread([this, loopThread] {
        server.listen_after_bind();
        if (!stopping) {
            failed = true;
            ::PostThreadMessage(loopThread, WM_QUIT, 0, 0);
        }
    });
    // The server's stop does nothing before its accept loop runs, and a stop
    // signal may come at once: wait for the loop.
    const auto bound = std::chrono::steady_clock::now() + kStartBound;
    while (!server.is_running() && !failed && std::chrono::steady_clock::now() < bound)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void CExporterServer::Stop()
{
    stopping = true;
    server.stop();
    if (serving.joinable())
        serving.join();
}

void CExporterServer::Probe(const httplib::Request& request, httplib::Response& response)
{
    const CProbeClock::time_point started = CProbeClock::now();
    const std::string target = request.get_param_value("target");
    std::string address;
    if (request.get_param_value_count("target") != 1 || target.empty()) {
        ++stats.badTarget;
        return BadRequest(response, "give one target parameter");
    }
    if (target.find('\0') != std::string::npos || !ResolveHostAddress(target, &address)) {
        ++stats.badTarget;
        return BadRequest(response, "the target is not an IPv4 address or a host name of one");
    }
    const double wait = ProbeWaitSeconds(request.get_header_value("X-Prometheus-Scrape-Timeout-Seconds"));
    const auto deadline =
        started + std::chrono::duration_cast<CProbeClock::duration>(std::chrono::duration<double>(wait));
    const std::shared_ptr<CProbeWaiter> waiter = probes.Submit(address, deadline);
    if (!waiter) {
        response.status = 503;
        response.set_content("the exporter is stopping\n", "text/plain; charset=utf-8");
        return;
    }
    CHostReport report;
    if (!waiter->Wait(&report)) {
        report = NoReport(wait);
        ++stats.noReport;
    } else
        ++(report.status == 0 ? stats.success : stats.failure);
    const double seconds = std::chrono::duration<double>(CProbeClock::now() - started).count();
    response.set_content(ProbeMetrics(report, seconds), kExpositionContentType);
}
