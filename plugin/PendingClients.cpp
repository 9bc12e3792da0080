#include "plugin/PendingClients.h"

#include "plugin/PluginState.h"

#include <cstdlib>

namespace {

// Texts hold no NUL, so it separates them.
std::string ClientKey(const CClientRow& row)
{
    std::string key(static_cast<const char*>(row.ssidIndex));
    key += '\0';
    key += static_cast<const char*>(row.band);
    key += '\0';
    key += static_cast<const char*>(row.macAddress);
    return key;
}

HostClientEntry* NewEntry(const CClientRow& row)
{
    HostClientEntry* entry = new HostClientEntry();
    entry->band = _strdup(row.band);
    entry->macAddress = _strdup(row.macAddress);
    entry->authentication = _strdup(row.authentication);
    entry->rssi = AfxAtoi(row.rssi);
    entry->powerSave = _strdup(row.powerSave);
    entry->ssidIndex = _strdup(row.ssidIndex);
    return entry;
}

// The entries' texts are the module's own copies, handed out read-only.
void FreeText(const char* text)
{
    std::free(const_cast<char*>(text));
}

void FreeEntry(HostClientEntry* entry)
{
    FreeText(entry->ssidIndex);
    FreeText(entry->authentication);
    FreeText(entry->band);
    FreeText(entry->macAddress);
    FreeText(entry->powerSave);
    delete entry;
}

}  // namespace

PendingClients* FindPendingClients(const CString& address)
{
    for (POSITION pos = PendingList.GetHeadPosition(); pos != nullptr;) {
        PendingClients* record = static_cast<PendingClients*>(PendingList.GetNext(pos));
        if (_mbscmp(reinterpret_cast<const unsigned char*>(static_cast<const char*>(record->address)),
                    reinterpret_cast<const unsigned char*>(static_cast<const char*>(address))) == 0)
            return record;
    }
    return nullptr;
}

PendingClients* PendingClientsFor(const CString& address)
{
    if (PendingClients* record = FindPendingClients(address))
        return record;
    PendingClients* record = new PendingClients{address, 0, nullptr, {}};
    PendingList.AddTail(record);
    return record;
}

void CollectClient(PendingClients& record, const CClientRow& row)
{
    std::string key = ClientKey(row);
    if (record.clientKeys.count(key) != 0)
        return;
    void* grown = std::realloc(record.entries, sizeof(HostClientEntry*) * static_cast<size_t>(record.count + 1));
    if (grown == nullptr)
        return;
    record.entries = static_cast<HostClientEntry**>(grown);
    record.entries[record.count++] = NewEntry(row);
    record.clientKeys.insert(std::move(key));
}

void DetachPendingClients(PendingClients* record)
{
    if (POSITION pos = PendingList.Find(record))
        PendingList.RemoveAt(pos);
}

void FreePendingClients(PendingClients* record)
{
    for (int i = 0; i < record->count; ++i)
        FreeEntry(record->entries[i]);
    std::free(record->entries);
    delete record;
}

void FreeAllPendingClients()
{
    while (!PendingList.IsEmpty())
        FreePendingClients(static_cast<PendingClients*>(PendingList.RemoveHead()));
}
