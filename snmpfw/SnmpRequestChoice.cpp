#include "snmpfw/SnmpRequest.h"

#include "snmplib/SnmpLib.h"

#include <algorithm>
#include <climits>
#include <vector>

// What a set sends: the items an index list chooses, with the values given
// for them, and what goes out of them.

namespace {

// The entries of an index list: one more than there are commas, each read
// digit by digit up to a "." (the rest of the entry does not count).
std::vector<int> ReadIndexList(const CString& indexList)
{
    std::vector<int> entries(1, 0);
    bool fraction = false;
    for (int i = 0; i < indexList.GetLength(); ++i) {
        const char c = indexList[i];
        if (c == ',') {
            entries.push_back(0);
            fraction = false;
        } else if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9' && !fraction) {
            int& entry = entries.back();
            entry = entry > (INT_MAX - (c - '0')) / 10 ? INT_MAX : entry * 10 + (c - '0');
        }
    }
    return entries;
}

// Items the index list names lose their "invalid" flag and take the value
// at the position of their first entry; the others get the flag.
void ChooseItems(CSnmpVarList& list, const CString& indexList, CStringList* values)
{
    const std::vector<int> entries = ReadIndexList(indexList);
    for (int i = 0; i < list.count; ++i) {
        SnmpVarItem* item = list.GetItem(i);
        auto entry = std::find(entries.begin(), entries.end(), i);
        if (entry == entries.end()) {
            item->access |= ACCESS_INVALID;
            continue;
        }
        item->access &= ~ACCESS_INVALID;
        const int position = static_cast<int>(entry - entries.begin());
        POSITION at = values != nullptr ? values->FindIndex(position) : nullptr;
        if (at != nullptr)
            *item->value = values->GetAt(at);
    }
}

// The items a set PDU built from list carries, with the OID of each.
std::vector<std::pair<int, CString>> SentItems(const CSnmpVarList& list, Pdu& pdu)
{
    std::vector<std::pair<int, CString>> sent;
    for (int i = 0; i < list.count; ++i) {
        const Vb* vb = IsSentBySet(list, i) ? pdu.vb_at(static_cast<int>(sent.size())) : nullptr;
        if (vb != nullptr)
            sent.emplace_back(i, CString(vb->get_printable_oid()));
    }
    return sent;
}

}  // namespace

// A set leaves out the keys of a table row, which its OIDs name, and the
// items that cannot be set.
bool IsSentBySet(const CSnmpVarList& list, int index)
{
    return !(IsTableList(list) && index < list.keyCount) && list.IsSettable(index);
}

SnmpTarget& CSnmpRequest::PrepareSet(const CString& indexList, CStringList* values, CTarget& communityTarget,
                                     UTarget& userTarget, Pdu& pdu, std::vector<std::pair<int, CString>>& sent)
{
    const CSnmpVarList kept(varList);
    // The choice and the derived values reach the PDU only, also when it
    // cannot be built: items left out by a failed choice would be left out
    // of every later request of this object.
    try {
        if (!indexList.IsEmpty())
            ChooseItems(varList, indexList, values);
        for (int i = 0; i < varList.count; ++i)
            EvaluateDerived(i, false, varList);
        SnmpTarget& target = BuildTarget(communityTarget, userTarget);
        BuildPdu(PDU_SET, pdu);
        sent = SentItems(varList, pdu);
        varList = kept;
        return target;
    } catch (...) {
        varList = kept;
        throw;
    }
}
