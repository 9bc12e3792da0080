#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

// One probe as the landing page lists it.
struct CProbeRecord {
    uint64_t id = 0;
    std::string target;
    std::string auth;
    std::chrono::system_clock::time_point time;
    bool success = false;
    std::string message;  // why it failed
    double seconds = 0;
    std::string output;  // what it answered, cut at kMaxOutput
};

// The last probes, for the landing page and for their output. The server's
// thread only.
class CExporterHistory {
public:
    static constexpr size_t kMaxOutput = 64 * 1024;

    explicit CExporterHistory(size_t limit) : limit(limit) {}

    void Add(CProbeRecord record);
    // Null when the probe is unknown or no longer kept.
    const CProbeRecord* Find(uint64_t id) const;
    // The landing page: a probe form, the links, the last probes.
    std::string Page(const std::string& version) const;

private:
    const size_t limit;
    std::deque<CProbeRecord> records;  // the newest first
    uint64_t nextId = 1;
};

// text with &, <, >, " and ' as HTML's character references.
std::string HtmlText(const std::string& text);
