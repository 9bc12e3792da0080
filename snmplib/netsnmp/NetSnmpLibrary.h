#pragma once

#include <string>

// Process-wide start and end of Net-SNMP. The library is started on first
// need: by mpInit with the engine identifier of the application, or by the
// first session opened without it (Net-SNMP then makes up an identifier).
// It reads no configuration file of any user and writes no persistent state:
// what it insists on creating goes to a scratch folder that is removed again
// when the library is stopped.

// Starts the library if it is not running. False when it cannot be started.
bool NetSnmpLibraryEnsure();

// Starts the library with this local engine identifier (or gives the running
// library this identifier), then sets the engine-boots counter. False when
// the library cannot be started or refuses the identifier.
bool NetSnmpLibraryStartWithEngine(const std::string& engineId, unsigned int engineBoots);

bool NetSnmpLibraryRunning();

// Shuts the library down; every session must have been closed before.
void NetSnmpLibraryStop();
