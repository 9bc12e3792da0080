#pragma once

#include "host/HostOptions.h"
#include "host/HostRound.h"

#include <cstdio>

// Prints one round: table (one block per access point, agents' texts
// escaped), json (one document on one line) or csv (one line per client,
// ended by LF; the header comes from PrintCsvHeader). In csv, reports
// without clients and missing addresses go to errors, since their lines
// would be empty; in json, what missing reports usually mean goes there.
void PrintRound(const CHostRound& round, CHostFormat format, double waitSeconds, FILE* out, FILE* errors);

void PrintCsvHeader(FILE* out);

// The progress line of a terminal: rewritten in place, cleared with
// ClearProgress before the results are printed.
void ShowProgress(const CHostRound& round, size_t total, FILE* out);
void ClearProgress(FILE* out);
