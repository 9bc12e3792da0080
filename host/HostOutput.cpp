#include "host/HostOutput.h"

#include "tools/cli/CliUtf8.h"

#include "tools/cli/CliEscape.h"
#include "tools/cli/CliOutput.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace {

const char* const kColumns[] = {"MAC ADDRESS", "BAND", "AUTHENTICATION", "RSSI", "POWER SAVE", "SSID INDEX"};

// Every retrieval ends in a report, a failed one included: one that has
// not come is still going when the wait ends.
const char kMissingHint[] = "no report means the retrieval was still going when the wait ended: a long client "
                            "table, slow answers, or a -t budget close to --wait";

std::vector<std::string> Cells(const CHostClient& c)
{
    return {c.macAddress, c.band, c.authentication, std::to_string(c.rssi), c.powerSave, c.ssidIndex};
}

std::vector<std::string> ShownCells(const CHostClient& c)
{
    std::vector<std::string> cells = Cells(c);
    for (std::string& cell : cells)
        cell = EscapeControls(cell);
    return cells;
}

// The missing names, each on a line after prefix, and once what that
// usually means.
void PrintMissing(const CHostRound& round, double waitSeconds, const char* prefix, FILE* out)
{
    const std::vector<std::string> missing = round.Missing();
    for (const std::string& name : missing)
        fprintf(out, "%s%s: no report within %g s\n", prefix, EscapeControls(name).c_str(), waitSeconds);
    if (!missing.empty())
        fprintf(out, "%s%s\n", prefix, kMissingHint);
}

void PrintCells(const std::vector<std::string>& cells, const std::vector<size_t>& widths, FILE* out)
{
    fprintf(out, " ");
    for (size_t i = 0; i < cells.size(); ++i) {
        const bool last = i + 1 == cells.size();
        fprintf(out, " %-*s", last ? 0 : static_cast<int>(widths[i]) + 1, cells[i].c_str());
    }
    fprintf(out, "\n");
}

void PrintClients(const std::vector<CHostClient>& clients, FILE* out)
{
    std::vector<std::string> header(std::begin(kColumns), std::end(kColumns));
    std::vector<size_t> widths;
    for (const std::string& title : header)
        widths.push_back(title.size());
    std::vector<std::vector<std::string>> rows;
    for (const CHostClient& client : clients) {
        rows.push_back(ShownCells(client));
        for (size_t i = 0; i < rows.back().size(); ++i)
            widths[i] = std::max(widths[i], rows.back()[i].size());
    }
    PrintCells(header, widths, out);
    for (const std::vector<std::string>& row : rows)
        PrintCells(row, widths, out);
}

std::string Heading(const CHostReport& report)
{
    std::string heading = report.request;
    if (!report.address.empty() && report.address != report.request)
        heading += " (" + report.address + ")";
    return EscapeControls(heading);
}

void PrintTable(const CHostRound& round, double waitSeconds, FILE* out)
{
    for (const CHostReport& report : round.Reports()) {
        if (report.status != 0) {
            fprintf(out, "%s: %s\n", Heading(report).c_str(), EscapeControls(report.message).c_str());
            continue;
        }
        const size_t n = report.clients.size();
        fprintf(out, "%s: %s, %zu client%s\n", Heading(report).c_str(), EscapeControls(report.model).c_str(), n,
                n == 1 ? "" : "s");
        if (n > 0)
            PrintClients(report.clients, out);
    }
    PrintMissing(round, waitSeconds, "", out);
}

// JSON text is Unicode (RFC 8259, section 8.1), an agent's octets need not
// be: AsUtf8 keeps every octet readable.
nlohmann::ordered_json ClientJson(const CHostClient& c)
{
    return {{"macAddress", AsUtf8(c.macAddress)},         {"band", AsUtf8(c.band)},
            {"authentication", AsUtf8(c.authentication)}, {"rssi", c.rssi},
            {"powerSave", AsUtf8(c.powerSave)},           {"ssidIndex", AsUtf8(c.ssidIndex)}};
}

void PrintJson(const CHostRound& round, double waitSeconds, FILE* out, FILE* errors)
{
    nlohmann::ordered_json reports = nlohmann::ordered_json::array();
    for (const CHostReport& r : round.Reports()) {
        nlohmann::ordered_json clients = nlohmann::ordered_json::array();
        for (const CHostClient& c : r.clients)
            clients.push_back(ClientJson(c));
        reports.push_back({{"request", AsUtf8(r.request)},
                           {"status", r.status},
                           {"message", AsUtf8(r.message)},
                           {"address", AsUtf8(r.address)},
                           {"model", AsUtf8(r.model)},
                           {"clients", clients}});
    }
    nlohmann::ordered_json missing = nlohmann::ordered_json::array();
    for (const std::string& request : round.Missing())
        missing.push_back(AsUtf8(request));
    const nlohmann::ordered_json document = {{"reports", reports}, {"missing", missing}};
    fprintf(out, "%s\n", document.dump().c_str());
    PrintMissing(round, waitSeconds, "krw6180-clients: ", errors);
}

// RFC 4180, section 2: a field holding a comma, a quote or a line break is
// quoted, and its quotes are doubled.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

void PrintCsvLine(const std::vector<std::string>& fields, FILE* out)
{
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : ",") + CsvField(field);
    fprintf(out, "%s\n", line.c_str());
}

void PrintCsv(const CHostRound& round, double waitSeconds, FILE* out, FILE* errors)
{
    for (const CHostReport& report : round.Reports()) {
        if (report.status != 0)
            fprintf(errors, "krw6180-clients: %s: %s\n", EscapeControls(report.request).c_str(),
                    EscapeControls(report.message).c_str());
        for (const CHostClient& client : report.clients) {
            std::vector<std::string> fields = Cells(client);
            fields.insert(fields.begin(), report.request);
            PrintCsvLine(fields, out);
        }
    }
    PrintMissing(round, waitSeconds, "krw6180-clients: ", errors);
}

}  // namespace

void PrintRound(const CHostRound& round, CHostFormat format, double waitSeconds, FILE* out, FILE* errors)
{
    switch (format) {
    case CHostFormat::table:
        PrintTable(round, waitSeconds, out);
        break;
    case CHostFormat::json:
        PrintJson(round, waitSeconds, out, errors);
        break;
    case CHostFormat::csv:
        PrintCsv(round, waitSeconds, out, errors);
        break;
    }
    FlushOutput(out);
}

void PrintCsvHeader(FILE* out)
{
    PrintCsvLine({"address", "macAddress", "band", "authentication", "rssi", "powerSave", "ssidIndex"}, out);
}

void ShowProgress(const CHostRound& round, size_t total, FILE* out)
{
    fprintf(out, "\r\033[Kwaiting for %zu of %zu access point%s", round.Outstanding(), total, total == 1 ? "" : "s");
    FlushOutput(out);
}

void ClearProgress(FILE* out)
{
    fprintf(out, "\r\033[K");
    FlushOutput(out);
}
