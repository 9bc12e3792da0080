#include "snmpfw/SnmpRequest.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/TextToValue.h"
#include "snmpfw/DisplayDate.h"
#include "snmpfw/DisplayText.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpDateAndTime.h"
#include "snmpfw/ValueConversion.h"

#include <cstring>

namespace {

bool ReadOctets(const Vb& vb, OctetStr& octets, unsigned long needed)
{
    return vb.get_value(octets) == SNMP_CLASS_SUCCESS && octets.len() >= needed;
}

bool ReadNumberText(int syntax, const Vb& vb, CString& text)
{
    switch (syntax) {
    case SYNTAX_BOOLEAN: {
        int v = 0;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = BooleanText(v != 0);
        return true;
    }
    case SYNTAX_INTEGER: {
        int v = 0;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = DecimalText(v);
        return true;
    }
    case SYNTAX_COUNTER64: {
        Counter64 v;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = Counter64Text(v);
        return true;
    }
    case SYNTAX_TIMETICKS: {
        TimeTicks v;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = v.get_printable();
        return true;
    }
    default:  // counter, guage, uinteger
    {
        unsigned int v = 0;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = DecimalText(v);
        return true;
    }
    }
}

bool ReadOctetText(int syntax, const Vb& vb, CString& text)
{
    OctetStr octets;
    switch (syntax) {
    case SYNTAX_DOUBLE:
        if (!ReadOctets(vb, octets, 8))
            return false;
        text = DoubleText(DoubleFromOctets(octets.data()));
        return true;
    case SYNTAX_DATETIME: {
        if (!ReadOctets(vb, octets, SnmpDateAndTime::SHOWN_OCTET_COUNT))
            return false;
        SnmpDateAndTime date;
        date.FromOctets(octets.data(), octets.len());
        text = date.ToText();
        return true;
    }
    case SYNTAX_BCDATETIME:
        if (!ReadOctets(vb, octets, 8))
            return false;
        text = FormatDisplayDate(DoubleFromOctets(octets.data()));
        return true;
    case SYNTAX_DISPLAYSTR:
        if (!ReadOctets(vb, octets, 0))
            return false;
        text = CharactersOf(octets.data(), octets.len());
        return true;
    default:  // bitstr, octetstr, opaque, macaddress
        if (!ReadOctets(vb, octets, 0))
            return false;
        text = OctetsToHexText(octets.data(), octets.len());
        return true;
    }
}

// False when the binding's value is not of a type the syntax can take, or is
// shorter than the syntax needs.
bool ReadValueText(int syntax, const Vb& vb, CString& text)
{
    switch (syntax) {
    case SYNTAX_NULL:
        text = kNullValueText;
        return true;
    case SYNTAX_OBJECTID: {
        Oid v;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = v.get_printable();
        return true;
    }
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR: {
        IpAddress v;
        if (vb.get_value(v) != SNMP_CLASS_SUCCESS)
            return false;
        text = v.get_printable();
        return true;
    }
    case SYNTAX_BOOLEAN:
    case SYNTAX_INTEGER:
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
    case SYNTAX_COUNTER64:
    case SYNTAX_TIMETICKS:
        return ReadNumberText(syntax, vb, text);
    default:
        return ReadOctetText(syntax, vb, text);
    }
}

OctetStr OctetsOfDouble(double value)
{
    unsigned char octets[8];
    DoubleToOctets(value, octets);
    return OctetStr(octets, sizeof octets);
}

void WriteValue(int syntax, const CString& text, Vb& vb)
{
    switch (syntax) {
    case SYNTAX_BOOLEAN:
        vb.set_value(std::strcmp(text, kTrueText) == 0 ? 1 : 0);
        break;
    case SYNTAX_INTEGER:
        vb.set_value(AfxAtoi(text));
        break;
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
        vb.set_value(UnsignedFromText(text));
        break;
    case SYNTAX_COUNTER64:
        vb.set_value(Counter64FromText(text));
        break;
    case SYNTAX_DOUBLE:
        vb.set_value(OctetsOfDouble(std::atof(text)));
        break;
    case SYNTAX_OBJECTID:
        vb.set_value(OidFromText(text));
        break;
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        vb.set_value(IpAddress(static_cast<const char*>(text)));
        break;
    case SYNTAX_TIMETICKS:
        vb.set_value(TimeTicks(TimeTicksFromText(text)));
        break;
    case SYNTAX_DATETIME:
        vb.set_value(DateAndTimeOctets(text));
        break;
    case SYNTAX_BCDATETIME:
        vb.set_value(OctetsOfDouble(ParseDisplayDate(text).m_dt));
        break;
    case SYNTAX_DISPLAYSTR:
        vb.set_value(OctetStrFromText(text));
        break;
    default:  // bitstr, octetstr, opaque, macaddress
        vb.set_value(OctetsOfHexText(text));
        break;
    }
}

}  // namespace

void CSnmpRequest::VbToText(int index, const Vb& vb, CSnmpVarList& list)
{
    SnmpVarItem* item = list.GetItem(index);
    if (!IsConvertibleSyntax(item->syntax))
        ThrowQVException(QV_ERR_BAD_SYNTAX);

    CString text;
    const bool read = ReadValueText(item->syntax, vb, text);
    if (!read)
        text = kNullValueText;
    const bool printableEmpty = vb.printable_value_empty();
    if (IsHexSyntax(item->syntax)) {
        if (!read && printableEmpty)
            text.Empty();
    } else if (printableEmpty) {
        text = item->syntax == SYNTAX_DISPLAYSTR ? CString() : CString(kNullValueText);
    }

    if (item->options != nullptr)
        text = item->options->ValueToText(text);
    *item->value = text;
}

// "(NULL)" is sent as a null binding whatever the syntax.
void CSnmpRequest::TextToVb(int index, Vb& vb)
{
    const SnmpVarItem* item = varList.GetItem(index);
    const CString text = item->options != nullptr ? item->options->TextToValue(*item->value) : *item->value;
    if (text == kNullValueText || item->syntax == SYNTAX_NULL) {
        vb.set_null();
        return;
    }
    if (!IsConvertibleSyntax(item->syntax))
        ThrowQVException(QV_ERR_BAD_SYNTAX);
    WriteValue(item->syntax, text, vb);
}
