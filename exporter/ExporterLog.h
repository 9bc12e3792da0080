#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

enum class CLogLevel { debug, info, warn, error };
enum class CLogFormat { logfmt, json };

// "debug", "info", "warn", "error"; "logfmt", "json". False for other texts.
bool ParseLogLevel(const std::string& text, CLogLevel* level);
bool ParseLogFormat(const std::string& text, CLogFormat* format);

using CLogFields = std::vector<std::pair<std::string, std::string>>;

// One line per event on stderr, as Prometheus' exporters write them: a time
// stamp, the level, the message and its fields. Any thread.
class CExporterLog {
public:
    CExporterLog(CLogLevel level, CLogFormat format, FILE* out = stderr) : level(level), format(format), out(out) {}

    void Write(CLogLevel at, const std::string& message, const CLogFields& fields = {});

private:
    std::string Line(CLogLevel at, const std::string& message, const CLogFields& fields) const;

    const CLogLevel level;
    const CLogFormat format;
    FILE* const out;
    std::mutex mutex;
};
