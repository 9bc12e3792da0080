#pragma once

#include <string>

// What the process-wide functions (mpFinish, usmAddUserName) need from the
// Snmp objects that exist.

// Every Snmp object stops using its sessions of this security name.
void NetSnmpRetireUser(const std::string& securityName);

// Every Snmp object completes its outstanding requests with
// SNMP_CLASS_SESSION_DESTROYED and closes its sessions; the objects stay
// usable.
void NetSnmpCloseAllSessions();
