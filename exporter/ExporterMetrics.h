#pragma once

#include "hostlib/HostReports.h"

#include <atomic>
#include <string>

// Prometheus' text exposition format, version 0.0.4.
extern const char kExpositionContentType[];

// A label value as the format takes it: UTF-8 (see AsUtf8), with "\", '"'
// and newline escaped.
std::string LabelValue(const std::string& text);

// The metrics of one probe; a probe without a report has a failed one that
// says so.
std::string ProbeMetrics(const CHostReport& report, double seconds);

// The probes the exporter answered, by outcome.
struct CExporterStats {
    std::atomic<unsigned long long> success{0};
    std::atomic<unsigned long long> failure{0};   // a report with a failure
    std::atomic<unsigned long long> noReport{0};  // no report in time
    std::atomic<unsigned long long> badTarget{0};
    std::atomic<unsigned long long> badAuth{0};  // a profile the configuration does not have
    std::atomic<unsigned long long> refused{0};  // stopping, or at a bound: 503
    // Readings of the configuration file after the first.
    std::atomic<unsigned long long> reloads{0};
    std::atomic<unsigned long long> failedReloads{0};
    std::atomic<bool> lastReloadFailed{false};
};

// What the HTTP server holds at a moment.
struct CServerFigures {
    size_t connectionsOpen = 0;
    unsigned long long connectionsRejected = 0;  // over a bound
    unsigned long long connectionsTimedOut = 0;  // late with a request
    size_t probesWaiting = 0;
    size_t retrievalsRunning = 0;
};

// The exporter's own metrics: its build, its probes, its server and its
// process.
std::string ExporterMetrics(const CExporterStats& stats, const CServerFigures& server);
