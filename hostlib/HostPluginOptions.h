#pragma once

#include <CLI/CLI.hpp>

#include <string>

// The plug-in to load and the SNMP parameters it is given, as every host
// program takes them.
struct CPluginOptions {
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    int port = 161;
    int timeout = 200;   // hundredths of a second, as the plug-in takes it
    std::string plugin;  // empty: the one beside the program, else the installed one
};

// -c, -w, -p, -t and --plugin.
void AddPluginOptions(CLI::App& app, CPluginOptions& options);
