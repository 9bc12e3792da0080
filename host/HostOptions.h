#pragma once

#include <string>
#include <vector>

enum class CHostFormat { table, json, csv };

// What krw6180-clients is asked to do.
struct CHostOptions {
    std::vector<std::string> addresses;
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    int port = 161;
    int timeout = 200;  // hundredths of a second, as the plug-in takes it
    CHostFormat format = CHostFormat::table;
    double waitSeconds = 60;
    int repeat = 1;
    double intervalSeconds = 5;
    std::string plugin;  // empty: the one beside the program
    bool demo = false;
    bool stats = false;
};

// Reads the command line. Returns -1 when the options are good; otherwise the
// exit status after the help text (0) or a usage error (2) was printed.
int ParseHostOptions(int argc, char** argv, CHostOptions* options);
