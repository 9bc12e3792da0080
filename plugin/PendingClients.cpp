#include "plugin/PendingClients.h"

#include "plugin/PluginState.h"

#include <cstdlib>
#include <string>
#include <unordered_map>

namespace {

// The records of PendingList by address, so that a row of one of a thousand
// access points does not go through the whole list to find its record.
std::unordered_map<std::string, PendingClients*> PendingIndex;

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
    auto found = PendingIndex.find(address.Str());
    return found == PendingIndex.end() ? nullptr : found->second;
}

PendingClients* PendingClientsFor(const CString& address)
{
    if (PendingClients* record = FindPendingClients(address))
        return record;
    PendingClients* record = new PendingClients{address, 0, nullptr, {}};
    PendingList.AddTail(record);
    PendingIndex.emplace(address.Str(), record);
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
    if (POSITION pos = PendingList.Find(record)) {
        PendingList.RemoveAt(pos);
        PendingIndex.erase(record->address.Str());
    }
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
    PendingIndex.clear();
}
