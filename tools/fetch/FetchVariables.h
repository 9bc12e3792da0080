#pragma once

#include "tools/fetch/FetchOptions.h"

#include <string>
#include <vector>

// The VARIABLEs of the command line, in order. keys: --walk K's K (index
// columns come first and default to notaccess: their values are read from
// the row's instance), -1 without a walk. Throws CLI::ValidationError.
std::vector<CFetchVariable> ReadVariables(const std::vector<std::string>& texts, bool set, int keys);

// For --help: the syntax keywords a variable can take, and the access ones.
std::string SyntaxKeywordList();
std::string AccessKeywordList();
