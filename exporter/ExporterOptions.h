#pragma once

#include "exporter/ExporterLog.h"
#include "hostlib/HostPluginOptions.h"

#include <cstddef>
#include <string>

// What krw6180-exporter is asked to do.
struct CExporterOptions : CPluginOptions {
    std::string listenHost = "127.0.0.1";  // "0.0.0.0" for every address
    int listenPort = 9180;                 // 0 picks a free one
    std::string webConfigFile;             // TLS and basic auth
    std::string configFile;                // the SNMP profiles
    size_t maxConnections = 4096;
    size_t maxConnectionsPerAddress = 1024;
    int readTimeoutSeconds = 30;
    size_t historyLimit = 100;
    CLogLevel logLevel = CLogLevel::info;
    CLogFormat logFormat = CLogFormat::logfmt;
};

// Reads the command line. Returns -1 when the options are good; otherwise the
// exit status after the help text (0) or a usage error (2) was printed.
int ParseExporterOptions(int argc, char** argv, CExporterOptions* options);

// The address and port to listen on of "ADDRESS:PORT", ":PORT" (every IPv4
// address) or "[IPV6]:PORT"; false when the text is none of them or the port
// is not 0 to 65535.
bool ListenAddressOf(const std::string& text, std::string* host, int* port);
