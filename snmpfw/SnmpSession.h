#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpTargetParams.h"

class Snmp;
class CEventProcessorWnd;

// The single, process-wide session: the library's Snmp object through which
// every request is sent, the engine-boots counter file, SNMPv3 message
// processing and the default target parameters. Its members live from load
// to unload; only the Snmp object comes and goes with Start and Stop.
class CSnmpSession {
public:
    CSnmpSession() = delete;

    // Starts the session with the counter file in strDirectory; strReserved is
    // accepted and has no effect. Every failure is raised as a CQVException,
    // so the result is always TRUE. A Snmp object already created when a later
    // step fails stays recorded for Stop to dispose of.
    static BOOL Start(const CString& strDirectory, const CString& strReserved);

    // Stops the event processor's timer, deletes the Snmp object (which ends
    // outstanding requests with "session destroyed") and finishes message
    // processing. Does nothing of that when no Snmp object exists.
    static void Stop();

    // Null unless the session runs.
    static Snmp* GetSnmp();

    // What every new request object starts from.
    static const CSnmpTargetParams& GetDefaultTargetParams();

    static CEventProcessorWnd& GetEventProcessor();

    // The counter file's path in a directory; an empty directory gives the
    // bare file name.
    static CString JoinPath(const CString& strDirectory, const CString& strFileName);

    static const char* const kEngineId;
    static const char* const kBootCounterFileName;
};
