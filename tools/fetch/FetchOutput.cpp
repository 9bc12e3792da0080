#include "tools/fetch/FetchOutput.h"

#include "tools/cli/CliEscape.h"
#include "tools/cli/CliOutput.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

std::vector<std::string> Shown(const std::vector<std::string>& cells)
{
    std::vector<std::string> shown;
    for (const std::string& cell : cells)
        shown.push_back(EscapeControls(cell));
    return shown;
}

void PrintLine(const std::vector<std::string>& cells, const std::vector<size_t>& widths, FILE* out)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        const bool last = i + 1 == cells.size();
        if (widths.empty())
            fprintf(out, "%s%s", cells[i].c_str(), last ? "" : "\t");
        else
            fprintf(out, "%-*s%s", last ? 0 : static_cast<int>(widths[i]), cells[i].c_str(), last ? "" : "  ");
    }
    fprintf(out, "\n");
}

std::vector<size_t> Widths(const std::vector<std::string>& columns, bool header,
                           const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths(columns.size(), 0);
    auto widen = [&widths](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    };
    if (header)
        widen(columns);
    for (const auto& row : rows)
        widen(row);
    return widths;
}

std::string Json(const nlohmann::json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

CFetchPrinter::CFetchPrinter(CFetchFormat printFormat, std::vector<std::string> printColumns, bool printHeader,
                             FILE* output)
    : format(printFormat), columns(std::move(printColumns)), header(printHeader), out(output)
{
}

void CFetchPrinter::Start()
{
    started = true;
    if (format == CFetchFormat::json)
        fprintf(out, "{\"columns\":%s,\"rows\":[", Json(columns).c_str());
    else if (format == CFetchFormat::tsv && header)
        PrintLine(Shown(columns), {}, out);
}

void CFetchPrinter::Row(const std::vector<std::string>& row)
{
    if (!started)
        Start();
    if (format == CFetchFormat::table)
        kept.push_back(Shown(row));
    else if (format == CFetchFormat::json)
        fprintf(out, "%s%s", printed > 0 ? "," : "", Json(row).c_str());
    else
        PrintLine(Shown(row), {}, out);
    ++printed;
    FlushOutput(out);
}

void CFetchPrinter::Finish(bool failed)
{
    if (failed && !started)
        return;
    if (!started)
        Start();
    if (format == CFetchFormat::json)
        fprintf(out, "]}\n");
    if (format == CFetchFormat::table) {
        const std::vector<std::string> titles = Shown(columns);
        const std::vector<size_t> widths = Widths(titles, header, kept);
        if (header)
            PrintLine(titles, widths, out);
        for (const auto& row : kept)
            PrintLine(row, widths, out);
    }
    FlushOutput(out);
}
