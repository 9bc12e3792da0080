#include "host/HostOutput.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace {

const char* const kColumns[] = {"MAC ADDRESS", "BAND", "AUTHENTICATION", "RSSI", "POWER SAVE", "SSID INDEX"};

std::vector<std::string> Cells(const CHostClient& c)
{
    return {c.macAddress, c.band, c.authentication, std::to_string(c.rssi), c.powerSave, c.ssidIndex};
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
    for (const CHostClient& client : clients) {
        const std::vector<std::string> cells = Cells(client);
        for (size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    }
    PrintCells(header, widths, out);
    for (const CHostClient& client : clients)
        PrintCells(Cells(client), widths, out);
}

std::string Heading(const CHostReport& report)
{
    std::string heading = report.request;
    if (!report.address.empty() && report.address != report.request)
        heading += " (" + report.address + ")";
    return heading;
}

void PrintTable(const CHostRound& round, double waitSeconds, FILE* out)
{
    for (const CHostReport& report : round.Reports()) {
        if (report.status != 0) {
            fprintf(out, "%s: %s\n", Heading(report).c_str(), report.message.c_str());
            continue;
        }
        const size_t n = report.clients.size();
        fprintf(out, "%s: %s, %zu client%s\n", Heading(report).c_str(), report.model.c_str(), n, n == 1 ? "" : "s");
        if (n > 0)
            PrintClients(report.clients, out);
    }
    for (const std::string& missing : round.Missing())
        fprintf(out, "%s: no report within %g s\n", missing.c_str(), waitSeconds);
}

// JSON text is Unicode (RFC 8259, section 8.1), an agent's octets need not
// be. Texts that are UTF-8 go in as they are; others are taken as Latin-1,
// octet by octet, so that every octet that arrived can be read back from
// the document (a replacement character would lose it).
std::string JsonText(const std::string& text)
{
    try {
        nlohmann::json(text).dump();
        return text;
    } catch (const nlohmann::json::type_error&) {
        std::string mapped;
        for (const char c : text) {
            const unsigned char octet = static_cast<unsigned char>(c);
            if (octet < 0x80) {
                mapped += c;
            } else {
                mapped += static_cast<char>(0xC0 | (octet >> 6));
                mapped += static_cast<char>(0x80 | (octet & 0x3F));
            }
        }
        return mapped;
    }
}

nlohmann::ordered_json ClientJson(const CHostClient& c)
{
    return {{"macAddress", JsonText(c.macAddress)},         {"band", JsonText(c.band)},
            {"authentication", JsonText(c.authentication)}, {"rssi", c.rssi},
            {"powerSave", JsonText(c.powerSave)},           {"ssidIndex", JsonText(c.ssidIndex)}};
}

void PrintJson(const CHostRound& round, FILE* out)
{
    nlohmann::ordered_json reports = nlohmann::ordered_json::array();
    for (const CHostReport& r : round.Reports()) {
        nlohmann::ordered_json clients = nlohmann::ordered_json::array();
        for (const CHostClient& c : r.clients)
            clients.push_back(ClientJson(c));
        reports.push_back({{"request", JsonText(r.request)},
                           {"status", r.status},
                           {"message", JsonText(r.message)},
                           {"address", JsonText(r.address)},
                           {"model", JsonText(r.model)},
                           {"clients", clients}});
    }
    nlohmann::ordered_json missing = nlohmann::ordered_json::array();
    for (const std::string& request : round.Missing())
        missing.push_back(JsonText(request));
    const nlohmann::ordered_json document = {{"reports", reports}, {"missing", missing}};
    fprintf(out, "%s\n", document.dump().c_str());
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
    fprintf(out, "%s\r\n", line.c_str());
}

void PrintCsv(const CHostRound& round, double waitSeconds, FILE* out, FILE* errors)
{
    for (const CHostReport& report : round.Reports()) {
        if (report.status != 0)
            fprintf(errors, "krw6180-clients: %s: %s\n", report.request.c_str(), report.message.c_str());
        for (const CHostClient& client : report.clients) {
            std::vector<std::string> fields = Cells(client);
            fields.insert(fields.begin(), report.request);
            PrintCsvLine(fields, out);
        }
    }
    for (const std::string& missing : round.Missing())
        fprintf(errors, "krw6180-clients: %s: no report within %g s\n", missing.c_str(), waitSeconds);
}

}  // namespace

void PrintRound(const CHostRound& round, CHostFormat format, double waitSeconds, FILE* out, FILE* errors)
{
    switch (format) {
    case CHostFormat::table:
        PrintTable(round, waitSeconds, out);
        break;
    case CHostFormat::json:
        PrintJson(round, out);
        break;
    case CHostFormat::csv:
        PrintCsv(round, waitSeconds, out, errors);
        break;
    }
    fflush(out);
}

void PrintCsvHeader(FILE* out)
{
    PrintCsvLine({"address", "macAddress", "band", "authentication", "rssi", "powerSave", "ssidIndex"}, out);
}

void ShowProgress(const CHostRound& round, size_t total, FILE* out)
{
    fprintf(out, "\r\033[Kwaiting for %zu of %zu access point%s", round.Outstanding(), total, total == 1 ? "" : "s");
    fflush(out);
}

void ClearProgress(FILE* out)
{
    fprintf(out, "\r\033[K");
    fflush(out);
}
