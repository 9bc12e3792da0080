#pragma once

#include "hostlib/HostPlugin.h"
#include "plugin/KRW6180Plug.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace krwtest {

// A deep copy of one client entry.
struct CRecordedClient {
    std::string band;
    std::string macAddress;
    std::string authentication;
    int rssi = 0;
    std::string powerSave;
    std::string ssidIndex;
};

// A deep copy of one callback call.
struct CRecordedReport {
    int callback = 0;          // which of the host's two callbacks was called
    bool synchronous = false;  // called inside KRW6180PlugGetClinetInfor
    int status = -1;
    std::string message;
    std::string address;
    std::string model;
    int count = -1;
    bool entriesNull = false;
    uint32_t context = 0;
    std::vector<CRecordedClient> clients;
};

// A management host for the tests: loads the plug-in module as the hosts do,
// calls its exports and records every report. One at a time:
// the reports of every module reach the host made last.
class CPluginHost {
public:
    CPluginHost();
    ~CPluginHost();
    CPluginHost(const CPluginHost&) = delete;
    CPluginHost& operator=(const CPluginHost&) = delete;

    // False with a reason when the module (the one built, or a copy of it at
    // path) does not load.
    bool Load(std::string* error);
    bool Load(std::string* error, const std::string& path);
    // Unloading waits for the plug-in's outstanding requests.
    void Unload();
    bool Loaded() const { return plugin.Loaded(); }

    void SetParameters(const char* read, const char* write, int32_t port, int32_t timeout);
    // callback 0 or 1 picks one of two distinct callback functions.
    void Retrieve(const char* address, uint32_t context, int callback = 0, uint32_t ignored = 0);

    // Runs the thread's message loop until count reports have come, within
    // waitMs. True when they came.
    bool WaitForReports(size_t count, unsigned waitMs = 30000);

    std::vector<CRecordedReport> reports;

private:
    CHostPlugin plugin;
};

// The sample clients of krw6180-apsim as a report lists them, for a device
// whose own band text is band.
std::vector<CRecordedClient> SampleClients(const std::string& band);

bool operator==(const CRecordedClient& a, const CRecordedClient& b);
void PrintTo(const CRecordedClient& client, std::ostream* out);

}  // namespace krwtest
