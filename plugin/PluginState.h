#pragma once

#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"

class CSnmpRequest;

// The module-wide state of the plug-in, built when the module is loaded and
// touched only from the thread that loaded it.

// The model name every report carries.
extern const CString ModelName;

// The parameter store: what KRW6180PlugSetSnmpParameter stored last.
extern CString ReadCommunity;
extern CString WriteCommunity;
extern int32_t StoredPort;
extern uint32_t StoredTimeout;

// The callback given to the most recent KRW6180PlugGetClinetInfor call;
// every report goes there.
extern HostCallback StoredHostCallback;

// The clients collected so far, one PendingClients record per agent address.
extern CPtrList PendingList;

// The request object every retrieval uses; exists while the module runs.
extern CSnmpRequest* SharedRequest;

// The port of the stored parameters: its low 16 bits.
unsigned short StoredPortNumber();
// A request's time-out per attempt: half the stored budget, so that the
// request's two attempts together stay within it.
int RequestTimeout();
