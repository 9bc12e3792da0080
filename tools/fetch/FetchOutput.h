#pragma once

#include "tools/fetch/FetchOptions.h"

#include <cstdio>
#include <string>
#include <vector>

// What snmpfw-fetch prints: the variables' OIDs and one row of display
// texts per table row (one row for a get or a set).
struct CFetchTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    bool header = false;  // tsv and table print the OIDs first
};

// tsv: texts separated by tabs; table: columns aligned with blanks; json:
// one document {"columns": [...], "rows": [[...], ...]}, with bytes that are
// not UTF-8 replaced by U+FFFD.
void PrintFetchTable(const CFetchTable& table, CFetchFormat format, FILE* out);
