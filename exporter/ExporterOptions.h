#pragma once

#include <string>

// What krw6180-exporter is asked to do.
struct CExporterOptions {
    std::string listenHost = "127.0.0.1";  // "0.0.0.0" for every address
    int listenPort = 9180;                 // 0 picks a free one
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    int port = 161;
    int timeout = 200;   // hundredths of a second, as the plug-in takes it
    std::string plugin;  // empty: the one beside the program, else the installed one
};

// Reads the command line. Returns -1 when the options are good; otherwise the
// exit status after the help text (0) or a usage error (2) was printed.
int ParseExporterOptions(int argc, char** argv, CExporterOptions* options);

// "ADDRESS:PORT", ":PORT" (every address) or "[IPV6]:PORT" into its parts;
// false when the text is none of them or the port is not 0 to 65535.
bool SplitListenAddress(const std::string& text, std::string* host, int* port);
