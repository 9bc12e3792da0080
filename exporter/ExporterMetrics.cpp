#include "exporter/ExporterMetrics.h"

#include "exporter/ExporterProcess.h"
#include "tools/cli/CliUtf8.h"

#include <cstdio>
#include <set>
#include <tuple>

const char kExpositionContentType[] = "text/plain; version=0.0.4; charset=utf-8";

namespace {

const char kCompiler[] = __VERSION__;

}  // namespace

namespace {

void Family(std::string& out, const char* name, const char* type, const char* help)
{
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string Number(double value)
{
    char text[64];
    snprintf(text, sizeof text, "%.15g", value);
    return text;
}

void ClientSeries(std::string& out, const CHostReport& report)
{
    Family(out, "krw6180_client_rssi_dbm", "gauge",
           "Received signal strength of an associated client in dBm (0 when the access point gives none).");
    // Prometheus drops a series' second sample in one scrape and counts it as
    // an error; an agent's table may hold a client twice: the first row stands.
    std::set<std::tuple<std::string, std::string, std::string, std::string, std::string>> seen;
    for (const CHostClient& c : report.clients) {
        const auto labels = std::make_tuple(LabelValue(c.macAddress), LabelValue(c.band), LabelValue(c.authentication),
                                            LabelValue(c.powerSave), LabelValue(c.ssidIndex));
        if (!seen.insert(labels).second)
            continue;
        out += "krw6180_client_rssi_dbm{mac=\"" + std::get<0>(labels) + "\",band=\"" + std::get<1>(labels) +
               "\",authentication=\"" + std::get<2>(labels) + "\",power_save=\"" + std::get<3>(labels) +
               "\",ssid_index=\"" + std::get<4>(labels) + "\"} " + std::to_string(c.rssi) + "\n";
    }
}

void Counter(std::string& out, const char* outcome, unsigned long long value)
{
    out += std::string("krw6180_exporter_probes_total{outcome=\"") + outcome + "\"} " + std::to_string(value) + "\n";
}

// A family of one sample without labels.
void Single(std::string& out, const char* name, const char* type, const char* help, double value)
{
    Family(out, name, type, help);
    out += std::string(name) + " " + Number(value) + "\n";
}

void ServerMetrics(std::string& out, const CServerFigures& server)
{
    Single(out, "krw6180_exporter_http_connections", "gauge", "HTTP connections open.",
           static_cast<double>(server.connectionsOpen));
    Family(out, "krw6180_exporter_http_connections_closed_total", "counter",
           "HTTP connections closed by the exporter, by reason.");
    out += "krw6180_exporter_http_connections_closed_total{reason=\"limit\"} " +
           std::to_string(server.connectionsRejected) + "\n";
    out += "krw6180_exporter_http_connections_closed_total{reason=\"request_timeout\"} " +
           std::to_string(server.connectionsTimedOut) + "\n";
    Single(out, "krw6180_exporter_probes_waiting", "gauge", "Probes waiting for their report.",
           static_cast<double>(server.probesWaiting));
    Single(out, "krw6180_exporter_retrievals_running", "gauge",
           "Retrievals the plug-in runs, those whose probes gave up included.",
           static_cast<double>(server.retrievalsRunning));
}

void ConfigMetrics(std::string& out, const CExporterStats& stats)
{
    Single(out, "krw6180_exporter_config_last_reload_successful", "gauge",
           "Whether the last reading of the configuration file took.", stats.lastReloadFailed ? 0 : 1);
    Family(out, "krw6180_exporter_config_reloads_total", "counter",
           "Readings of the configuration file after the first, by outcome.");
    out += "krw6180_exporter_config_reloads_total{outcome=\"success\"} " + std::to_string(stats.reloads.load()) + "\n";
    out += "krw6180_exporter_config_reloads_total{outcome=\"failure\"} " + std::to_string(stats.failedReloads.load()) +
           "\n";
}

void ProcessMetrics(std::string& out)
{
    const CProcessFigures figures = ReadProcessFigures();
    if (!figures.read)
        return;
    Single(out, "process_cpu_seconds_total", "counter", "Total user and system CPU time spent in seconds.",
           figures.cpuSeconds);
    Single(out, "process_resident_memory_bytes", "gauge", "Resident memory size in bytes.", figures.residentBytes);
    Single(out, "process_virtual_memory_bytes", "gauge", "Virtual memory size in bytes.", figures.virtualBytes);
    Single(out, "process_open_fds", "gauge", "Number of open file descriptors.", figures.openDescriptors);
    Single(out, "process_max_fds", "gauge", "Maximum number of open file descriptors.", figures.maxDescriptors);
    Single(out, "process_start_time_seconds", "gauge", "Start time of the process since unix epoch in seconds.",
           figures.startTimeSeconds);
}

}  // namespace

std::string LabelValue(const std::string& text)
{
    std::string out;
    for (const char c : AsUtf8(text)) {
        if (c == '\\' || c == '"')
            out += {'\\', c};
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string ProbeMetrics(const CHostReport& report, double seconds)
{
    const bool success = report.status == 0;
    std::string out;
    Single(out, "krw6180_probe_success", "gauge", "Whether the access point reported its clients.", success ? 1 : 0);
    Single(out, "krw6180_probe_duration_seconds", "gauge", "How long the probe took.", seconds);
    if (success) {
        Single(out, "krw6180_clients", "gauge", "Wireless clients associated with the access point.",
               static_cast<double>(report.clients.size()));
        ClientSeries(out, report);
        return out;
    }
    Family(out, "krw6180_probe_failure_info", "gauge", "Why the probe failed.");
    out += "krw6180_probe_failure_info{message=\"" + LabelValue(report.message) + "\"} 1\n";
    return out;
}

std::string ExporterMetrics(const CExporterStats& stats, const CServerFigures& server)
{
    std::string out;
    Family(out, "krw6180_exporter_build_info", "gauge", "The exporter's version and compiler, as labels.");
    out += "krw6180_exporter_build_info{version=\"" KRW_VERSION "\",compiler=\"" + LabelValue(kCompiler) + "\"} 1\n";
    ServerMetrics(out, server);
    ConfigMetrics(out, stats);
    Family(out, "krw6180_exporter_probes_total", "counter", "Probes answered, by outcome.");
    Counter(out, "success", stats.success.load());
    Counter(out, "failure", stats.failure.load());
    Counter(out, "no_report", stats.noReport.load());
    Counter(out, "bad_target", stats.badTarget.load());
    Counter(out, "bad_auth", stats.badAuth.load());
    Counter(out, "refused", stats.refused.load());
    ProcessMetrics(out);
    return out;
}
