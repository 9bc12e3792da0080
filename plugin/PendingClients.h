#pragma once

#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"

#include <string>
#include <unordered_set>

// The clients collected so far for one access point, in the order their rows
// arrived. The record owns its entries, each entry's texts (_strdup copies)
// and the array.
struct PendingClients {
    CString address;  // the agent's dotted address: the key
    int count;
    HostClientEntry** entries;  // null while count is 0
    // The SSID index, band and MAC texts of every entry, so that a row is
    // found to be a duplicate without going through all entries.
    std::unordered_set<std::string> clientKeys;
};

// The texts of one client row.
struct CClientRow {
    CString band;
    CString macAddress;
    CString authentication;
    CString rssi;
    CString powerSave;
    CString ssidIndex;
};

// The record of PendingList for address, or null.
PendingClients* FindPendingClients(const CString& address);

// The record of PendingList for address; a new, empty one at the list's tail
// when there is none.
PendingClients* PendingClientsFor(const CString& address);

// Appends the row's client unless an entry with the same SSID index, band and
// MAC texts is already there.
void CollectClient(PendingClients& record, const CClientRow& row);

// Takes the record out of PendingList; the caller owns it afterwards.
void DetachPendingClients(PendingClients* record);

// Frees the record, its entries and their texts.
void FreePendingClients(PendingClients* record);

// Frees every record still in PendingList and empties it.
void FreeAllPendingClients();
