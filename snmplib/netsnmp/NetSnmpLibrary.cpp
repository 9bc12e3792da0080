#include "snmplib/netsnmp/NetSnmpLibrary.h"

#include "snmplib/Sockets.h"
#include "snmplib/netsnmp/NetSnmp.h"
#include "snmplib/netsnmp/NetSnmpStateFolder.h"

#include <algorithm>
#include <cstdlib>

// The table of textual conventions of Net-SNMP's MIB parser. Up to 5.9.3 a
// new start allocates it afresh without freeing the old one (fixed upstream
// in commit 08a23a1f43, "Free tclist before allocating"); shutting down frees
// it here instead, which is safe with the fixed library as well. A library
// built without MIB loading (the Windows build) has no parser.
#ifndef NETSNMP_DISABLE_MIB_LOADING
extern "C" void* tclist;
#endif

namespace {

const char kApplication[] = "krw-snmplib";

// Net-SNMP is one per process, while every module built on this library has
// a copy of its own of it: how many copies use Net-SNMP is kept in Net-SNMP's
// store, where each copy finds it, in an application slot that nothing else
// of ours uses (integers there outlive a shutdown). The last to stop shuts
// Net-SNMP down.
const int kUsersSlot = NETSNMP_DS_MAX_SUBIDS - 1;

int Users()
{
    return netsnmp_ds_get_int(NETSNMP_DS_APPLICATION_ID, kUsersSlot);
}

void SetUsers(int users)
{
    netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, kUsersSlot, users);
}

void SetNoPersistence(const std::string& folder)
{
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, folder.c_str());
}

// Net-SNMP prints to standard error when no log handler is enabled; one that
// hands messages to logging callbacks, of which there are none, keeps it quiet.
void SilenceLogging()
{
    snmp_enable_calllog();
}

// On Windows an empty value removes the variable; MIBS means nothing there,
// where the library is built without MIB loading.
void SetVariable(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

void UnsetVariable(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

// Identifiers are numeric throughout, so no MIB module is wanted; an empty
// MIBS keeps the library from parsing whatever the system has installed. The
// caller's own value is put back afterwards.
void InitWithoutMibs()
{
    const char* previous = getenv("MIBS");
    const bool hadPrevious = previous != nullptr;
    const std::string saved = hadPrevious ? previous : "";
    SetVariable("MIBS", "");
    init_snmp(kApplication);
    if (hadPrevious)
        SetVariable("MIBS", saved.c_str());
    else
        UnsetVariable("MIBS");
}

bool LocalEngineIs(const std::string& engineId)
{
    u_char buffer[SNMP_MAXBUF_SMALL];
    const size_t length = snmpv3_get_engineID(buffer, sizeof buffer);
    return length == engineId.size() && std::equal(engineId.begin(), engineId.end(), buffer);
}

}  // namespace

bool CNetSnmpLibrary::Start(const std::string* engineId)
{
    // Another copy of this library started it.
    if (Users() > 0) {
        SetUsers(Users() + 1);
        running = true;
        return true;
    }
    const CNetSnmpStateFolder stateFolder("krw-netsnmp");
    if (stateFolder.Path().empty())
        return false;
    SetNoPersistence(stateFolder.Path());
    SilenceLogging();
    if (engineId) {
        SetExactEngineId(*engineId);
    } else if (exactEngineIdUsed) {
        // The identifier type of an exact identifier outlives a shutdown, and
        // a start without one would complain about it.
        char ipv4Type[] = "1";
        engineIDType_conf("engineIDType", ipv4Type);
    }
    InitWithoutMibs();
    SetUsers(1);
    running = true;
    return true;
}

void CNetSnmpLibrary::SetExactEngineId(const std::string& engineId)
{
    set_exact_engineID(reinterpret_cast<const u_char*>(engineId.data()), engineId.size());
    exactEngineIdUsed = true;
}

bool CNetSnmpLibrary::Shared() const
{
    return running && Users() > 1;
}

bool CNetSnmpLibrary::Ensure()
{
    return (running || Start(nullptr)) && StartSockets();
}

bool CNetSnmpLibrary::StartWithEngine(const std::string& engineId, unsigned int engineBoots)
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

void CNetSnmpLibrary::Stop()
{
    if (!running)
        return;
    running = false;
    const int others = Users() - 1;
    SetUsers(others > 0 ? others : 0);
    if (others > 0)
        return;
    snmp_shutdown(kApplication);
#ifndef NETSNMP_DISABLE_MIB_LOADING
    free(tclist);
    tclist = nullptr;
#endif
}
