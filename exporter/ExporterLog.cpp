#include "exporter/ExporterLog.h"

#include "tools/cli/CliUtf8.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <ctime>

namespace {

const char* const kLevels[] = {"debug", "info", "warn", "error"};

std::string TimeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long millis =
        static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    snprintf(text + length, sizeof text - length, ".%03ldZ", millis);
    return text;
}

// logfmt's value: bare when it is a plain word, else quoted with \", \\ and
// control characters escaped, so that one event stays one line.
std::string LogfmtValue(const std::string& text)
{
    bool bare = !text.empty();
    for (const unsigned char c : text)
        bare = bare && c > ' ' && c != '"' && c != '=' && c != '\\' && c != 0x7f;
    if (bare)
        return text;
    std::string quoted = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\')
            quoted += {'\\', static_cast<char>(c)};
        else if (c == '\n')
            quoted += "\\n";
        else if (c < ' ' || c == 0x7f) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            quoted += escaped;
        } else
            quoted += static_cast<char>(c);
    }
    return quoted + "\"";
}

}  // namespace

bool ParseLogLevel(const std::string& text, CLogLevel* level)
{
    for (int i = 0; i < 4; ++i)
        if (text == kLevels[i]) {
            *level = static_cast<CLogLevel>(i);
            return true;
        }
    return false;
}

bool ParseLogFormat(const std::string& text, CLogFormat* format)
{
    if (text != "logfmt" && text != "json")
        return false;
    *format = text == "json" ? CLogFormat::json : CLogFormat::logfmt;
    return true;
}

std::string CExporterLog::Line(CLogLevel at, const std::string& message, const CLogFields& fields) const
{
    const char* name = kLevels[static_cast<int>(at)];
    if (format == CLogFormat::json) {
        nlohmann::ordered_json line = {{"ts", TimeStamp()}, {"level", name}, {"msg", AsUtf8(message)}};
        for (const auto& field : fields)
            line[field.first] = AsUtf8(field.second);
        return line.dump();
    }
    std::string line = "ts=" + TimeStamp() + " level=" + name + " msg=" + LogfmtValue(message);
    for (const auto& field : fields)
        line += " " + field.first + "=" + LogfmtValue(field.second);
    return line;
}

void CExporterLog::Write(CLogLevel at, const std::string& message, const CLogFields& fields)
{
    if (at < level)
        return;
    const std::string line = Line(at, message, fields) + "\n";
    std::lock_guard<std::mutex> lock(mutex);
    fputs(line.c_str(), out);
    fflush(out);
}
