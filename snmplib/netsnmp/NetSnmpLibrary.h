#pragma once

#include <string>

// Net-SNMP's process-wide start and end. The library is started on first
// need: with the application's engine identifier (mpInit), or by the first
// session opened without it (Net-SNMP then makes an identifier up). It reads
// no configuration file of any user, writes no persistent state (what it
// insists on creating while it starts goes to a scratch folder removed right
// after) and prints nothing: the module keeps no log.
class CNetSnmpLibrary {
public:
    CNetSnmpLibrary() = default;
    CNetSnmpLibrary(const CNetSnmpLibrary&) = delete;
    CNetSnmpLibrary& operator=(const CNetSnmpLibrary&) = delete;

    // Starts the library if it is not running, and the system's sockets
    // (before the first session). False when either cannot start.
    bool Ensure();
    // Starts the library with this local engine identifier (or gives the
    // running library this identifier), then sets the engine-boots counter.
    bool StartWithEngine(const std::string& engineId, unsigned int engineBoots);
    bool Running() const { return running; }
    // Another module's copy of this library uses it as well.
    bool Shared() const;
    // Shuts the library down, unless another module's copy of this library
    // still uses it; every session of this copy must have been closed before.
    void Stop();

private:
    bool Start(const std::string* engineId);
    void SetExactEngineId(const std::string& engineId);

    bool running = false;
    bool exactEngineIdUsed = false;
};
