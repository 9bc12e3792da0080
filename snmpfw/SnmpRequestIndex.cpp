#include "snmpfw/SnmpRequest.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/TextToValue.h"
#include "snmpfw/DisplayDate.h"
#include "snmpfw/DisplayText.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpDateAndTime.h"
#include "snmpfw/ValueConversion.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

typedef std::vector<unsigned long> SubIds;

const unsigned long kIpAddressSubIds = 4;
const unsigned long kMacAddressOctets = 6;

// A decoded key: its value text and how many sub-identifiers it took.
struct DecodedKey {
    CString text;
    unsigned long used;
};

unsigned char OctetOf(unsigned long subId)
{
    return static_cast<unsigned char>(subId & 0xFF);
}

std::vector<unsigned char> OctetsAt(const Oid& oid, unsigned long first, unsigned long count)
{
    std::vector<unsigned char> octets(count);
    for (unsigned long i = 0; i < count; ++i)
        octets[i] = OctetOf(oid[first + i]);
    return octets;
}

CString TextOfOctets(int syntax, const std::vector<unsigned char>& octets)
{
    if (syntax == SYNTAX_DISPLAYSTR)
        return CharactersOf(octets.data(), octets.size());
    return OctetsToHexText(octets.data(), static_cast<unsigned long>(octets.size()));
}

// Octet strings and object identifiers: all that is left when the key is the
// implied last one, otherwise a length and that many sub-identifiers. False
// when the length runs past the instance.
bool DecodeVariableKey(int syntax, const Oid& oid, const CString& instance, bool implied, DecodedKey& key)
{
    const unsigned long n = oid.len();
    unsigned long first = 0;
    unsigned long count = n;
    if (!implied) {
        if (n == 0 || oid[0] > n - 1)
            return false;
        first = 1;
        count = oid[0];
    }
    key.used = first + count;
    if (syntax != SYNTAX_OBJECTID)
        key.text = TextOfOctets(syntax, OctetsAt(oid, first, count));
    else
        key.text = implied ? instance : DottedText(oid, first, count);
    return true;
}

unsigned long FixedKeyLength(int syntax)
{
    switch (syntax) {
    case SYNTAX_NULL:
        return 0;
    case SYNTAX_COUNTER64:
    case SYNTAX_DOUBLE:
    case SYNTAX_BCDATETIME:
        return 2;
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        return kIpAddressSubIds;
    case SYNTAX_MACADDRESS:
        return kMacAddressOctets;
    case SYNTAX_DATETIME:
        return SnmpDateAndTime::OCTET_COUNT;
    default:
        return 1;
    }
}

CString FixedKeyText(int syntax, const Oid& oid)
{
    CString text;
    switch (syntax) {
    case SYNTAX_NULL:
        return CString(kNullValueText);
    case SYNTAX_BOOLEAN:
        return CString(BooleanText(oid[0] != 0));
    case SYNTAX_INTEGER:
        text.Format("%d", static_cast<int>(static_cast<unsigned int>(oid[0])));
        return text;
    case SYNTAX_TIMETICKS:
        return CString(TimeTicks(oid[0]).get_printable());
    case SYNTAX_COUNTER64:
        return Counter64Text(Counter64(oid[0], oid[1]));
    case SYNTAX_DOUBLE:
        return DoubleText(DoubleFromHalves(oid[0], oid[1]));
    case SYNTAX_BCDATETIME:
        return FormatDisplayDate(DoubleFromHalves(oid[0], oid[1]));
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        text.Format("%u.%u.%u.%u", OctetOf(oid[0]), OctetOf(oid[1]), OctetOf(oid[2]), OctetOf(oid[3]));
        return text;
    case SYNTAX_MACADDRESS:
        return TextOfOctets(syntax, OctetsAt(oid, 0, kMacAddressOctets));
    case SYNTAX_DATETIME: {
        const std::vector<unsigned char> octets = OctetsAt(oid, 0, SnmpDateAndTime::OCTET_COUNT);
        SnmpDateAndTime date;
        date.FromOctets(octets.data(), static_cast<unsigned long>(octets.size()));
        return date.ToText();
    }
    default:  // counter, guage, uinteger
        text.Format("%u", static_cast<unsigned int>(oid[0]));
        return text;
    }
}

bool IsVariableKeySyntax(int syntax)
{
    return syntax == SYNTAX_BITSTR || syntax == SYNTAX_OCTETSTR || syntax == SYNTAX_OPAQUE ||
           syntax == SYNTAX_DISPLAYSTR || syntax == SYNTAX_OBJECTID;
}

// False when the instance holds fewer sub-identifiers than the key needs.
bool DecodeKey(int syntax, const Oid& oid, const CString& instance, bool implied, DecodedKey& key)
{
    if (IsVariableKeySyntax(syntax))
        return DecodeVariableKey(syntax, oid, instance, implied, key);
    key.used = FixedKeyLength(syntax);
    if (oid.len() < key.used)
        return false;
    key.text = FixedKeyText(syntax, oid);
    return true;
}

void AppendOctets(const OctetStr& octets, bool counted, SubIds& subIds)
{
    if (counted)
        subIds.push_back(octets.len());
    for (unsigned long i = 0; i < octets.len(); ++i)
        subIds.push_back(octets[i]);
}

void AppendOid(const Oid& oid, bool counted, SubIds& subIds)
{
    if (counted)
        subIds.push_back(oid.len());
    for (unsigned long i = 0; i < oid.len(); ++i)
        subIds.push_back(oid[i]);
}

void AppendHalves(double value, SubIds& subIds)
{
    unsigned long low = 0;
    unsigned long high = 0;
    DoubleToHalves(value, low, high);
    subIds.push_back(low);
    subIds.push_back(high);
}

void EncodeKey(int syntax, const CString& text, bool implied, SubIds& subIds)
{
    switch (syntax) {
    case SYNTAX_NULL:
        break;
    case SYNTAX_BOOLEAN:
        subIds.push_back(std::strcmp(text, kTrueText) == 0 ? 1 : 0);
        break;
    case SYNTAX_COUNTER64: {
        const Counter64 value = Counter64FromText(text);
        subIds.push_back(value.high());
        subIds.push_back(value.low());
        break;
    }
    case SYNTAX_DOUBLE:
        AppendHalves(std::atof(text), subIds);
        break;
    case SYNTAX_BITSTR:
    case SYNTAX_OCTETSTR:
    case SYNTAX_OPAQUE:
        AppendOctets(OctetsOfHexText(text), !implied, subIds);
        break;
    case SYNTAX_DISPLAYSTR:
        AppendOctets(OctetStrFromText(text), !implied, subIds);
        break;
    case SYNTAX_OBJECTID:
        AppendOid(OidFromText(text), !implied, subIds);
        break;
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        AppendOid(OidFromText(text), false, subIds);
        break;
    case SYNTAX_MACADDRESS: {
        const OctetStr octets = OctetsOfHexText(text);
        if (octets.len() >= kMacAddressOctets)
            AppendOctets(OctetStr(octets.data(), kMacAddressOctets), false, subIds);
        break;
    }
    case SYNTAX_DATETIME:
        AppendOctets(DateAndTimeOctets(text), false, subIds);
        break;
    case SYNTAX_BCDATETIME:
        AppendHalves(ParseDisplayDate(text).m_dt, subIds);
        break;
    case SYNTAX_TIMETICKS:
        subIds.push_back(TimeTicksFromText(text));
        break;
    default:  // integer, counter, guage, uinteger
        subIds.push_back(UnsignedFromText(text));
        break;
    }
}

CString JoinSubIds(const SubIds& subIds)
{
    return CString(Oid(subIds.data(), static_cast<unsigned long>(subIds.size())).get_printable());
}

}  // namespace

// A key that needs more sub-identifiers than the instance holds gets the
// value "(NULL)" and takes the whole instance, so that nothing is read
// beyond it and the next key sees an empty rest.
CString CSnmpRequest::IndexToText(int index, const CString& instance, CSnmpVarList& list)
{
    SnmpVarItem* item = list.GetItem(index);
    if (!IsConvertibleSyntax(item->syntax))
        ThrowQVException(QV_ERR_BAD_SYNTAX);

    const Oid oid = OidFromText(instance);
    const bool implied = index == list.keyCount - 1 && list.IsImplied(index);
    DecodedKey key;
    if (!DecodeKey(item->syntax, oid, instance, implied, key)) {
        key.text = kNullValueText;
        key.used = oid.len();
    }

    if (item->options != nullptr)
        key.text = item->options->ValueToText(key.text);
    *item->value = key.text;
    return DottedText(oid, key.used, oid.len() - key.used);
}

void CSnmpRequest::TextToIndex(int index, CString& output, CSnmpVarList& list)
{
    const SnmpVarItem* item = list.GetItem(index);
    if (!IsConvertibleSyntax(item->syntax))
        ThrowQVException(QV_ERR_BAD_SYNTAX);

    const CString text = item->options != nullptr ? item->options->TextToValue(*item->value) : *item->value;
    const bool implied = index == list.keyCount - 1 && list.IsImplied(index);
    SubIds subIds;
    EncodeKey(item->syntax, text, implied, subIds);
    output = JoinSubIds(subIds);
}

CString CSnmpRequest::MakeRowInstance()
{
    return MakeRowInstance(varList);
}

CString CSnmpRequest::MakeRowInstance(CSnmpVarList& list)
{
    CString instance;
    for (int i = 0; i < list.keyCount && i < list.count; ++i) {
        CString key;
        TextToIndex(i, key, list);
        if (i > 0)
            instance += ".";
        instance += key;
    }
    return instance;
}

void CSnmpRequest::DecodeRowKeys(const CString& rowInstance, CSnmpVarList& list)
{
    if (list.keyCount > list.count)
        ThrowQVException(QV_ERR_BAD_KEY_COUNT);
    CString remaining = rowInstance;
    for (int i = 0; i < list.keyCount; ++i) {
        if (remaining.IsEmpty())
            ThrowQVException(QV_ERR_BAD_KEY_COUNT);
        if (!list.IsReadable(i))
            *list.GetItem(i)->instance = ColumnOidText(list, i) + "." + rowInstance;
        remaining = IndexToText(i, remaining, list);
    }
}
