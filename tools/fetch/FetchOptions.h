#pragma once

#include "snmpfw/SnmpTargetParams.h"

#include <string>
#include <vector>

// One VARIABLE of the command line: OID[:SYNTAX[:ACCESS]], with --set
// OID:SYNTAX=VALUE, or a derived value =EXPRESSION[:SYNTAX] (no OID).
struct CFetchVariable {
    std::string oid;
    int syntax = 0;
    int access = 0;
    std::string value;
    std::string expression;
    std::string heading;  // its column's title
};

enum class CFetchFormat { tsv, table, json };

// What snmpfw-fetch is asked to do.
struct CFetchOptions {
    std::string address;
    CSnmpTargetParams target;
    std::vector<CFetchVariable> variables;
    int walkKeys = -1;  // --walk K; -1 without it
    int maxRows = 1000000;
    bool set = false;
    CFetchFormat format = CFetchFormat::tsv;
};

// Reads the command line. Returns -1 when the options are good; otherwise
// the exit status, after the help text (0) or a usage error (2) is printed.
int ParseFetchOptions(int argc, char** argv, CFetchOptions* options);
