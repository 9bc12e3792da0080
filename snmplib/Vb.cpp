#include "snmplib/Vb.h"

#include <cstring>

namespace {

bool IsInteger32(SmiUINT32 syntax)
{
    return syntax == sNMP_SYNTAX_INT32 || syntax == sNMP_SYNTAX_CNTR32 || syntax == sNMP_SYNTAX_GAUGE32 ||
           syntax == sNMP_SYNTAX_TIMETICKS;
}

bool IsOctets(SmiUINT32 syntax)
{
    return syntax == sNMP_SYNTAX_OCTETS || syntax == sNMP_SYNTAX_OPAQUE || syntax == sNMP_SYNTAX_BITS;
}

bool IsException(SmiUINT32 syntax)
{
    return syntax == sNMP_SYNTAX_NOSUCHOBJECT || syntax == sNMP_SYNTAX_NOSUCHINSTANCE ||
           syntax == sNMP_SYNTAX_ENDOFMIBVIEW;
}

unsigned long long SignExtend32(unsigned long long v)
{
    return static_cast<unsigned long long>(static_cast<long long>(static_cast<int>(static_cast<unsigned int>(v))));
}

std::string IpAddressText(const OctetStr& octets)
{
    IpAddress ip;
    ip.set_octets(octets.data(), octets.len());
    return ip.get_printable();
}

}  // namespace

bool Vb::isInteger32Syntax() const
{
    return IsInteger32(syntax) && valueValid;
}

bool Vb::isOctetSyntax() const
{
    return IsOctets(syntax) && valueValid;
}

void Vb::clear()
{
    vbOid.clear();
    set_null();
}

void Vb::set_null()
{
    syntax = sNMP_SYNTAX_NULL;
    number = 0;
    octets.clear();
    oidValue.clear();
    valueValid = true;
}

void Vb::setNumber(SmiUINT32 newSyntax, unsigned long long v)
{
    set_null();
    syntax = newSyntax;
    number = newSyntax == sNMP_SYNTAX_INT32 ? SignExtend32(v) : v;
}

void Vb::set_syntax(SmiUINT32 newSyntax)
{
    if (IsInteger32(syntax) && IsInteger32(newSyntax)) {
        const unsigned long long low32 = number & 0xFFFFFFFFULL;
        syntax = newSyntax;
        number = newSyntax == sNMP_SYNTAX_INT32 ? SignExtend32(low32) : low32;
        return;
    }
    if (IsOctets(syntax) && IsOctets(newSyntax)) {
        syntax = newSyntax;
        return;
    }
    set_null();
    syntax = newSyntax;
    // An IpAddress without its four octets is not a well-formed value.
    valueValid = newSyntax != sNMP_SYNTAX_IPADDR;
}

void Vb::set_value(int v)
{
    setNumber(sNMP_SYNTAX_INT32, static_cast<unsigned long long>(static_cast<long long>(v)));
}

void Vb::set_value(long v)
{
    setNumber(sNMP_SYNTAX_INT32, static_cast<unsigned long long>(v));
}

void Vb::set_value(unsigned int v)
{
    setNumber(sNMP_SYNTAX_UINT32, v);
}

void Vb::set_value(unsigned long v)
{
    setNumber(sNMP_SYNTAX_UINT32, v & 0xFFFFFFFFUL);
}

void Vb::set_value(const Counter32& v)
{
    setNumber(sNMP_SYNTAX_CNTR32, static_cast<unsigned long>(v));
}

void Vb::set_value(const Gauge32& v)
{
    setNumber(sNMP_SYNTAX_GAUGE32, static_cast<unsigned long>(v));
}

void Vb::set_value(const TimeTicks& v)
{
    setNumber(sNMP_SYNTAX_TIMETICKS, static_cast<unsigned long>(v));
}

void Vb::set_value(const Counter64& v)
{
    setNumber(sNMP_SYNTAX_CNTR64, v.value());
}

void Vb::set_value(const OctetStr& v)
{
    set_null();
    syntax = sNMP_SYNTAX_OCTETS;
    octets = v;
}

void Vb::set_value(const char* text)
{
    set_value(OctetStr(text));
}

void Vb::set_value(const unsigned char* raw, unsigned long length)
{
    set_value(OctetStr(raw, length));
}

void Vb::set_value(const Oid& v)
{
    set_null();
    syntax = sNMP_SYNTAX_OID;
    oidValue = v;
    valueValid = v.valid();
}

void Vb::set_value(const IpAddress& v)
{
    set_null();
    syntax = sNMP_SYNTAX_IPADDR;
    valueValid = v.valid();
    if (valueValid)
        octets.set_data(v.data(), 4);
}

int Vb::get_value(int& v) const
{
    if (!isInteger32Syntax())
        return SNMP_CLASS_INVALID;
    v = static_cast<int>(static_cast<unsigned int>(number & 0xFFFFFFFFULL));
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(long& v) const
{
    if (!isInteger32Syntax())
        return SNMP_CLASS_INVALID;
    v = static_cast<long>(static_cast<long long>(number));
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(unsigned int& v) const
{
    if (!isInteger32Syntax())
        return SNMP_CLASS_INVALID;
    v = static_cast<unsigned int>(number & 0xFFFFFFFFULL);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(unsigned long& v) const
{
    if (!isInteger32Syntax())
        return SNMP_CLASS_INVALID;
    v = static_cast<unsigned long>(number & 0xFFFFFFFFULL);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(Counter32& v) const
{
    if (syntax != sNMP_SYNTAX_CNTR32)
        return SNMP_CLASS_INVALID;
    v = static_cast<unsigned long>(number);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(Gauge32& v) const
{
    if (syntax != sNMP_SYNTAX_GAUGE32)
        return SNMP_CLASS_INVALID;
    v = static_cast<unsigned long>(number);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(TimeTicks& v) const
{
    if (syntax != sNMP_SYNTAX_TIMETICKS)
        return SNMP_CLASS_INVALID;
    v = static_cast<unsigned long>(number);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(Counter64& v) const
{
    if (syntax != sNMP_SYNTAX_CNTR64 && !(IsInteger32(syntax) && syntax != sNMP_SYNTAX_INT32))
        return SNMP_CLASS_INVALID;
    v = Counter64(number);
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(OctetStr& v) const
{
    if (!isOctetSyntax())
        return SNMP_CLASS_INVALID;
    v = octets;
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(Oid& v) const
{
    if (syntax != sNMP_SYNTAX_OID || !valueValid)
        return SNMP_CLASS_INVALID;
    v = oidValue;
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(IpAddress& v) const
{
    if (syntax != sNMP_SYNTAX_IPADDR || !valueValid)
        return SNMP_CLASS_INVALID;
    v.set_octets(octets.data(), octets.len());
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(unsigned char* buf, unsigned long& length, unsigned long maxlen, bool addNullByte) const
{
    const unsigned long needed = octets.len() + (addNullByte ? 1 : 0);
    if (!isOctetSyntax() || buf == nullptr || needed > maxlen)
        return SNMP_CLASS_INVALID;
    if (octets.len() > 0)
        std::memcpy(buf, octets.data(), octets.len());
    if (addNullByte)
        buf[octets.len()] = 0;
    length = octets.len();
    return SNMP_CLASS_SUCCESS;
}

int Vb::get_value(char* buf, unsigned long size) const
{
    unsigned long length = 0;
    return get_value(reinterpret_cast<unsigned char*>(buf), length, size, true);
}

void Vb::set_exception_status(SmiUINT32 status)
{
    set_null();
    if (IsException(status))
        syntax = status;
}

SmiUINT32 Vb::get_exception_status() const
{
    return IsException(syntax) ? syntax : SNMP_CLASS_SUCCESS;
}

const char* Vb::get_printable_value() const
{
    std::string& text = printable.Text();
    text.clear();
    if (!valueValid)
        return text.c_str();
    if (syntax == sNMP_SYNTAX_INT32)
        text = std::to_string(static_cast<long long>(number));
    else if (syntax == sNMP_SYNTAX_TIMETICKS)
        text = TimeTicks(static_cast<unsigned long>(number)).get_printable();
    else if (IsInteger32(syntax) || syntax == sNMP_SYNTAX_CNTR64)
        text = std::to_string(number);
    else if (IsOctets(syntax))
        text = octets.get_printable();
    else if (syntax == sNMP_SYNTAX_IPADDR)
        text = IpAddressText(octets);
    else if (syntax == sNMP_SYNTAX_OID)
        text = oidValue.to_string();
    return text.c_str();
}

bool Vb::printable_value_empty() const
{
    if (!valueValid)
        return true;
    if (IsInteger32(syntax) || syntax == sNMP_SYNTAX_CNTR64)
        return false;
    if (IsOctets(syntax))
        return octets.len() == 0;
    if (syntax == sNMP_SYNTAX_IPADDR)
        return IpAddressText(octets).empty();
    if (syntax == sNMP_SYNTAX_OID)
        return oidValue.len() == 0;
    return true;
}
