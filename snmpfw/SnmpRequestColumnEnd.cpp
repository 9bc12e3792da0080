#include "snmpfw/SnmpRequest.h"

#include "snmplib/Oid.h"

#include <cstring>

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
    return !previous.IsEmpty() && Oid::CompareDotted(received, previous) <= 0;
}
