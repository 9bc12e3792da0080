#pragma once

#include <string>

// The exporter's HTTP side under load, each measurement a section of
// exporter-bench that can be run alone. Figures only: no goal is checked.
namespace krwbench {

struct CLoadSettings {
    std::string exporter;  // krw6180-exporter of this build
    std::string before;    // an earlier build to set beside it; empty for none
    std::string folder;    // scratch files (logs, Prometheus' data)
};

// Prometheus scraping 100 access points while 4,200 connections from one
// other address send a request a byte a second; then SIGTERM with such
// connections open.
void MeasureSlowClients(const CLoadSettings& settings);
// 1,000 connections at once, each with one request.
void MeasureBurst(const CLoadSettings& settings);
// 300 MB of header lines, and a 300 MiB body.
void MeasureFlood(const CLoadSettings& settings);
// A probe on a new connection and on a kept one against its own duration.
void MeasureReuse(const CLoadSettings& settings);
// Probes a second at concurrency 1, 10, 50 and 200.
void MeasureThroughput(const CLoadSettings& settings);
// Resident memory over 10,000 probes.
void MeasureScale(const CLoadSettings& settings);

}  // namespace krwbench
