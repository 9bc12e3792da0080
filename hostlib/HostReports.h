#pragma once

#include "plugin/KRW6180Plug.h"

#include <cstdint>
#include <string>
#include <vector>

// One client as a report listed it.
struct CHostClient {
    std::string macAddress;
    std::string band;
    std::string authentication;
    int rssi = 0;
    std::string powerSave;
    std::string ssidIndex;
};

// A copy of one report, with the address it was asked for.
struct CHostReport {
    std::string request;  // the address as the host was given it
    int status = 0;
    std::string message;
    std::string address;
    std::string model;
    std::vector<CHostClient> clients;
};

// The report as the plug-in handed it over; entries may be null when count is 0.
CHostReport CopyHostReport(const HostResult& result, int32_t count, const HostClientEntry* const* entries);
