#include "exporter/ExporterHistory.h"

#include "tools/cli/CliUtf8.h"

#include <cstdio>
#include <ctime>

namespace {

const char kPageStart[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>krw6180-exporter</title></head><body>
<h1>krw6180-exporter</h1>
<p>Version )";

const char kForm[] = R"(</p>
<form action="probe" method="get">
<label>Target <input type="text" name="target" placeholder="192.0.2.1"></label>
<label>Auth <input type="text" name="auth" value="default"></label>
<input type="submit" value="Probe">
</form>
<p><a href="metrics">Metrics</a>: the exporter's own</p>
<h2>Recent probes</h2>
<table border="1" cellpadding="3" style="border-collapse:collapse">
<tr><th>Time (UTC)</th><th>Target</th><th>Auth</th><th>Outcome</th><th>Seconds</th><th>Message</th><th>Output</th></tr>
)";

std::string UtcTime(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

std::string Row(const CProbeRecord& r)
{
    char seconds[32];
    snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    const std::string id = std::to_string(r.id);
    return "<tr><td>" + UtcTime(r.time) + "</td><td>" + HtmlText(r.target) + "</td><td>" + HtmlText(r.auth) +
           "</td><td>" + (r.success ? "success" : "failure") + "</td><td>" + seconds + "</td><td>" +
           HtmlText(r.message) + "</td><td><a href=\"history?id=" + id + "\">output</a></td></tr>\n";
}

}  // namespace

std::string HtmlText(const std::string& text)
{
    std::string out;
    for (const char c : AsUtf8(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void CExporterHistory::Add(CProbeRecord record)
{
    if (limit == 0)
        return;
    record.id = nextId++;
    if (record.output.size() > kMaxOutput)
        record.output.resize(kMaxOutput);
    records.push_front(std::move(record));
    if (records.size() > limit)
        records.pop_back();
}

const CProbeRecord* CExporterHistory::Find(uint64_t id) const
{
    for (const CProbeRecord& record : records)
        if (record.id == id)
            return &record;
    return nullptr;
}

std::string CExporterHistory::Page(const std::string& version) const
{
    std::string page = kPageStart + HtmlText(version) + kForm;
    for (const CProbeRecord& record : records)
        page += Row(record);
    return page + "</table>\n</body></html>\n";
}
