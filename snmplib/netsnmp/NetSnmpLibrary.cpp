#include "snmplib/NetSnmpLibrary.h"

#include "snmplib/NetSnmp.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

const char kApplication[] = "krw-snmplib";

bool running = false;
bool exactEngineIdUsed = false;
std::string scratchFolder;

std::string MakeScratchFolder()
{
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/krw-netsnmp-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        return std::string();
    // Made in advance so that the library does not announce its creation on stderr.
    std::error_code ignored;
    std::filesystem::create_directory(pattern + "/cert_indexes", ignored);
    return pattern;
}

void SetNoPersistence()
{
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, scratchFolder.c_str());
}

// Identifiers are numeric throughout, so no MIB module is wanted; an empty
// MIBS keeps the library from parsing whatever the system has installed. The
// caller's own value is put back afterwards.
void InitWithoutMibs()
{
    const char* previous = getenv("MIBS");
    const bool hadPrevious = previous != nullptr;
    const std::string saved = hadPrevious ? previous : "";
    setenv("MIBS", "", 1);
    init_snmp(kApplication);
    if (hadPrevious)
        setenv("MIBS", saved.c_str(), 1);
    else
        unsetenv("MIBS");
}

void SetExactEngineId(const std::string& engineId)
{
    set_exact_engineID(reinterpret_cast<const u_char*>(engineId.data()), engineId.size());
    exactEngineIdUsed = true;
}

bool Start(const std::string* engineId)
{
    scratchFolder = MakeScratchFolder();
    if (scratchFolder.empty())
        return false;
    SetNoPersistence();
    if (engineId) {
        SetExactEngineId(*engineId);
    } else if (exactEngineIdUsed) {
        // The identifier type of an exact identifier outlives a shutdown, and
        // a start without one would complain about it.
        char ipv4Type[] = "1";
        engineIDType_conf("engineIDType", ipv4Type);
    }
    InitWithoutMibs();
    running = true;
    return true;
}

bool LocalEngineIs(const std::string& engineId)
{
    u_char buffer[SNMP_MAXBUF_SMALL];
    const size_t length = snmpv3_get_engineID(buffer, sizeof buffer);
    return length == engineId.size() && std::equal(engineId.begin(), engineId.end(), buffer);
}

}  // namespace

bool NetSnmpLibraryEnsure()
{
    return running || Start(nullptr);
}

bool NetSnmpLibraryStartWithEngine(const std::string& engineId, unsigned int engineBoots)
{
    if (!running && !Start(&engineId))
        return false;
    if (!LocalEngineIs(engineId))
        SetExactEngineId(engineId);
    if (!LocalEngineIs(engineId))
        return false;
    // The library stores one more than it is given.
    std::string previous = std::to_string(static_cast<long long>(engineBoots) - 1);
    engineBoots_conf("engineBoots", &previous[0]);
    return true;
}

bool NetSnmpLibraryRunning()
{
    return running;
}

void NetSnmpLibraryStop()
{
    if (!running)
        return;
    snmp_shutdown(kApplication);
    running = false;
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
    scratchFolder.clear();
}
