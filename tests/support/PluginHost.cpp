#include "tests/support/PluginHost.h"

#include "tests/support/MessageLoop.h"

namespace krwtest {

namespace {

CPluginHost* g_host = nullptr;
bool g_insideExport = false;

std::string Text(const char* text)
{
    return text != nullptr ? text : "(null)";
}

void Record(int callback, const HostResult* result, int32_t count, const HostClientEntry* const* entries,
            uint32_t context)
{
    CRecordedReport report;
    report.callback = callback;
    report.synchronous = g_insideExport;
    report.status = result->status;
    report.message = Text(result->message);
    report.address = Text(result->address);
    report.model = Text(result->model);
    report.count = count;
    report.entriesNull = entries == nullptr;
    report.context = context;
    for (int32_t i = 0; entries != nullptr && i < count; ++i) {
        const HostClientEntry& e = *entries[i];
        report.clients.push_back(
            {Text(e.band), Text(e.macAddress), Text(e.authentication), e.rssi, Text(e.powerSave), Text(e.ssidIndex)});
    }
    if (g_host != nullptr)
        g_host->reports.push_back(report);
}

void FirstCallback(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    Record(0, result, count, entries, context);
}

void SecondCallback(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context)
{
    Record(1, result, count, entries, context);
}

}  // namespace

CPluginHost::CPluginHost()
{
    g_host = this;
}

CPluginHost::~CPluginHost()
{
    Unload();
    g_host = nullptr;
}

bool CPluginHost::Load(std::string* error)
{
    return Load(error, KRW_PLUGIN_MODULE);
}

bool CPluginHost::Load(std::string* error, const std::string& path)
{
    return plugin.Load(path, error);
}

void CPluginHost::Unload()
{
    plugin.Unload();
}

void CPluginHost::SetParameters(const char* read, const char* write, int32_t port, int32_t timeout)
{
    plugin.setSnmpParameter(0x0100007F, read, write, port, timeout);
}

void CPluginHost::Retrieve(const char* address, uint32_t context, int callback, uint32_t ignored)
{
    g_insideExport = true;
    plugin.getClientInfo(address, callback == 0 ? FirstCallback : SecondCallback, ignored, context);
    g_insideExport = false;
}

bool CPluginHost::WaitForReports(size_t count, unsigned waitMs)
{
    return RunMessagesUntil([this, count] { return reports.size() >= count; }, waitMs);
}

std::vector<CRecordedClient> SampleClients(const std::string& band)
{
    return {
        {band, "000D88123456", "WPA2-Personal", -48, "Off", "1"},
        {band, "A0B1C2D3E4F5", "WPA2-Enterprise", -61, "On", "2"},
        {band, "0C8BFD0A1B2C", "WPA-Personal", -70, "Off", "1"},
    };
}

bool operator==(const CRecordedClient& a, const CRecordedClient& b)
{
    return a.band == b.band && a.macAddress == b.macAddress && a.authentication == b.authentication &&
           a.rssi == b.rssi && a.powerSave == b.powerSave && a.ssidIndex == b.ssidIndex;
}

void PrintTo(const CRecordedClient& c, std::ostream* out)
{
    *out << "{" << c.band << " " << c.macAddress << " " << c.authentication << " " << c.rssi << " " << c.powerSave
         << " " << c.ssidIndex << "}";
}

}  // namespace krwtest
