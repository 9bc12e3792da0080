#pragma once

#include "hostlib/HostPluginOptions.h"

#include <string>
#include <vector>

enum class CHostFormat { table, json, csv };

// What krw6180-clients is asked to do.
struct CHostOptions : CPluginOptions {
    std::vector<std::string> addresses;
    CHostFormat format = CHostFormat::table;
    double waitSeconds = 60;
    int repeat = 1;
    double intervalSeconds = 5;
    bool demo = false;
    bool stats = false;
};

// Reads the command line. Returns -1 when the options are good; otherwise the
// exit status after the help text (0) or a usage error (2) was printed.
int ParseHostOptions(int argc, char** argv, CHostOptions* options);
