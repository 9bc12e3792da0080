#include "snmpfw/SnmpRequest.h"

#include "snmplib/Oid.h"

#include <cstring>

namespace {

// Oid::CompareDotted(received, previous), reading once what both mostly
// begin with: the column and its dot, which received is known to begin with.
// Where the rest would read differently alone (a dot more), or the column is
// no identifier, both are read whole.
int CompareInColumn(const CString& column, const CString& received, const CString& previous)
{
    const size_t at = static_cast<size_t>(column.GetLength()) + 1;
    if (std::strncmp(previous, received, at) == 0) {
        const char* receivedRest = static_cast<const char*>(received) + at;
        const char* previousRest = static_cast<const char*>(previous) + at;
        if (*receivedRest != '.' && *previousRest != '.' && Oid::IsDotted(column))
            return Oid::CompareDotted(receivedRest, previousRest);
    }
    return Oid::CompareDotted(received, previous);
}

}  // namespace

// The received identifier stays in the column only when the column's text is
// followed by a "." in it: "...1.20.1" has left column "...1.2" even though
// its first characters agree.
bool CSnmpRequest::IsColumnEnd(const CString& column, const CString& previous, const CString& received,
                               CSnmpVarList& list)
{
    if (list.itemType == SVT_SV || list.itemType == MVT_SV)
        return false;
    if (received.GetLength() <= column.GetLength())
        return true;
    if (std::strncmp(received, column, static_cast<size_t>(column.GetLength())) != 0)
        return true;
    if (received[column.GetLength()] != '.')
        return true;
    // An agent must answer a get-next with a later identifier (RFC 3416,
    // 4.2.2); one that is not later, compared sub-identifier by sub-identifier,
    // would keep the walk going round.
    return !previous.IsEmpty() && CompareInColumn(column, received, previous) <= 0;
}
