#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpRequest.h"

// The retrievals in progress. The request engine hands a completion one
// 32-bit value; a retrieval's requests carry its identifier, and the record
// holds what its completions need besides: the host's context and, while
// the band of a delivered row is read, that row.

// Rows one retrieval takes at most. A real access point has far fewer
// clients; an agent that never ends its table stops here, and the walk ends
// as a failed step does.
const int kMaxClientRows = 65536;

struct CClientWalk {
    DWORD context;     // the host's, for every report of the retrieval
    int rows;          // rows delivered by the walk so far
    CSnmpResult step;  // the completion that delivered row
    CSnmpVarList row;  // the row waiting for its band read
    // The name of the MAC cell of the row delivered before. At the end of an
    // SNMPv1 agent's MIB the walk ends with that row once more, and it is no
    // other client, whatever its band read gives this time.
    CString lastMacCell;
    bool repeated;
};

// A new record for a retrieval reporting with context; returns its identifier.
DWORD AddClientWalk(DWORD context);

// The record of identifier, or null once the retrieval has ended.
CClientWalk* FindClientWalk(DWORD identifier);

// Ends the retrieval's record.
void RemoveClientWalk(DWORD identifier);

// Ends every record, at unload: their requests no longer reach the module.
void RemoveAllClientWalks();
