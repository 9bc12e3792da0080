#include "plugin/ClientWalks.h"

#include <unordered_map>

namespace {

std::unordered_map<DWORD, CClientWalk> Walks;
DWORD LastIdentifier = 0;

}  // namespace

DWORD AddClientWalk(DWORD context, const CSnmpTargetParams& target)
{
    // Identifiers wrap after 2^32 retrievals; one still in use is skipped.
    do
        ++LastIdentifier;
    while (Walks.count(LastIdentifier) != 0);
    Walks.emplace(LastIdentifier, CClientWalk{context, target, 0, CSnmpResult(), CSnmpVarList()});
    return LastIdentifier;
}

CClientWalk* FindClientWalk(DWORD identifier)
{
    auto found = Walks.find(identifier);
    return found == Walks.end() ? nullptr : &found->second;
}

void RemoveClientWalk(DWORD identifier)
{
    Walks.erase(identifier);
}

bool IsWalkingAddress(const CString& address)
{
    for (const auto& walk : Walks) {
        if (walk.second.target.address == address)
            return true;
    }
    return false;
}

void RemoveAllClientWalks()
{
    Walks.clear();
}
