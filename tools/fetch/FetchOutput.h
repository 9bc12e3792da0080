#pragma once

#include "tools/fetch/FetchOptions.h"

#include <cstdio>
#include <string>
#include <vector>

// What snmpfw-fetch prints: the variables' OIDs and one row of display texts
// per table row (one row for a get or a set).
//
// tsv: texts separated by tabs, with control characters escaped
// (EscapeControls); json: one document {"columns": [...],
// "rows": [[...], ...]}, with bytes that are not UTF-8 replaced by U+FFFD.
// Both print each row as it comes, so that a walk that ends early has shown
// what it read. table: columns aligned with blanks, printed at the end,
// escaped as tsv is.
class CFetchPrinter {
public:
    // header: tsv and table print the OIDs first.
    CFetchPrinter(CFetchFormat format, std::vector<std::string> columns, bool header, FILE* out);
    CFetchPrinter(const CFetchPrinter&) = delete;
    CFetchPrinter& operator=(const CFetchPrinter&) = delete;

    void Row(const std::vector<std::string>& row);
    // Ends the output. After a failure, only a walk that has shown rows ends
    // its output, so that nothing else is printed.
    void Finish(bool failed);

private:
    void Start();

    CFetchFormat format;
    std::vector<std::string> columns;
    bool header;
    FILE* out;
    bool started = false;
    size_t printed = 0;
    std::vector<std::vector<std::string>> kept;  // table: the rows, for their widths
};
