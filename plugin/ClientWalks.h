#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpRequest.h"

// The retrievals in progress. The request engine hands a completion one
// 32-bit value; a retrieval's requests carry its identifier, and the record
// holds what its completions need besides: the host's context and, while
// the band of a delivered row is read, that row.

// Rows one retrieval takes at most. A real access point has far fewer
// clients; an agent that never ends its table stops here, and the walk fails
// as a failed step does. (The tests build the module once more with a small
// bound, to reach it quickly.)
#ifndef KRW_MAX_CLIENT_ROWS
#define KRW_MAX_CLIENT_ROWS 65536
#endif
const int kMaxClientRows = KRW_MAX_CLIENT_ROWS;

struct CClientWalk {
    DWORD context;  // the host's, for every report of the retrieval
    // Where and how every request of the retrieval goes: the parameters as
    // they were at its start, whatever the host sets while it runs. From the
    // refresh's answer on, the address is the agent's dotted one.
    CSnmpTargetParams target;
    int rows;          // rows delivered by the walk so far
    CSnmpResult step;  // the completion that delivered row
    CSnmpVarList row;  // the row waiting for its band read
};

// A new record for a retrieval reporting with context and sending to
// target; returns its identifier.
DWORD AddClientWalk(DWORD context, const CSnmpTargetParams& target);

// The record of identifier, or null once the retrieval has ended.
CClientWalk* FindClientWalk(DWORD identifier);

// Ends the retrieval's record.
void RemoveClientWalk(DWORD identifier);

// Whether a retrieval in progress sends to address.
bool IsWalkingAddress(const CString& address);

// Ends every record, at unload: their requests no longer reach the module.
void RemoveAllClientWalks();
