#include "tools/fetch/FetchOutput.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

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

std::vector<size_t> Widths(const CFetchTable& table)
{
    std::vector<size_t> widths(table.columns.size(), 0);
    auto widen = [&widths](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    };
    if (table.header)
        widen(table.columns);
    for (const auto& row : table.rows)
        widen(row);
    return widths;
}

}  // namespace

void PrintFetchTable(const CFetchTable& table, CFetchFormat format, FILE* out)
{
    if (format == CFetchFormat::json) {
        const nlohmann::json document = {{"columns", table.columns}, {"rows", table.rows}};
        fprintf(out, "%s\n", document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return;
    }
    const std::vector<size_t> widths = format == CFetchFormat::table ? Widths(table) : std::vector<size_t>();
    if (table.header)
        PrintLine(table.columns, widths, out);
    for (const auto& row : table.rows)
        PrintLine(row, widths, out);
}
