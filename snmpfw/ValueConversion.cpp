#include "snmpfw/ValueConversion.h"

#include "snmpfw/SnmpDateAndTime.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

CString OctetsToHexText(const unsigned char* octets, unsigned long count)
{
    static const char digits[] = "0123456789ABCDEF";
    CString text;
    char* out = text.GetBuffer(static_cast<int>(count * 2));
    for (unsigned long i = 0; i < count; ++i) {
        out[2 * i] = digits[octets[i] >> 4];
        out[2 * i + 1] = digits[octets[i] & 0x0F];
    }
    text.ReleaseBuffer(static_cast<int>(count * 2));
    return text;
}

OctetStr OctetsOfHexText(const CString& text)
{
    return OctetStr::from_hex_string(OctetStr(static_cast<const char*>(text)));
}

OctetStr DateAndTimeOctets(const CString& text)
{
    SnmpDateAndTime date;
    date.FromText(text);
    unsigned char octets[SnmpDateAndTime::OCTET_COUNT];
    date.ToOctets(octets);
    return OctetStr(octets, sizeof octets);
}

CString DurationText(unsigned long hundredths)
{
    const unsigned long fraction = hundredths % 100;
    unsigned long secondsTotal = hundredths / 100;
    const unsigned long days = secondsTotal / 86400;
    secondsTotal %= 86400;
    const unsigned long hours = secondsTotal / 3600;
    const unsigned long minutes = secondsTotal % 3600 / 60;
    const unsigned long seconds = secondsTotal % 60;
    CString text;
    if (days == 0)
        text.Format("%lu:%02lu:%02lu.%02lu", hours, minutes, seconds, fraction);
    else if (days == 1)
        text.Format("1 day %lu:%02lu:%02lu.%02lu", hours, minutes, seconds, fraction);
    else
        text.Format("%lu days, %lu:%02lu:%02lu.%02lu", days, hours, minutes, seconds, fraction);
    return text;
}

Counter64 Counter64FromDouble(double value)
{
    return Counter64::ld_to_c64(value);
}

CString Counter64Text(const Counter64& value)
{
    const Counter64 rounded = Counter64FromDouble(static_cast<double>(value.value()));
    CString text;
    text.Format("%llu", rounded.value());
    return text;
}

double DoubleFromOctets(const unsigned char octets[8])
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = (bits << 8) | octets[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void DoubleToOctets(double value, unsigned char octets[8])
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        octets[i] = static_cast<unsigned char>(bits >> (8 * i));
}

double DoubleFromHalves(unsigned long low, unsigned long high)
{
    const uint64_t bits = (static_cast<uint64_t>(high & 0xFFFFFFFFUL) << 32) | (low & 0xFFFFFFFFUL);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void DoubleToHalves(double value, unsigned long& low, unsigned long& high)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    low = static_cast<unsigned long>(bits & 0xFFFFFFFFU);
    high = static_cast<unsigned long>(bits >> 32);
}

unsigned long UnsignedFromText(const CString& text)
{
    return static_cast<unsigned long>(std::atol(text)) & 0xFFFFFFFFUL;
}

bool IsConvertibleSyntax(int syntax)
{
    switch (syntax) {
    case SYNTAX_BOOLEAN:
    case SYNTAX_INTEGER:
    case SYNTAX_BITSTR:
    case SYNTAX_OCTETSTR:
    case SYNTAX_NULL:
    case SYNTAX_OBJECTID:
    case SYNTAX_IPADDRESS:
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_TIMETICKS:
    case SYNTAX_OPAQUE:
    case SYNTAX_NSAPADDR:
    case SYNTAX_COUNTER64:
    case SYNTAX_UINTEGER:
    case SYNTAX_DOUBLE:
    case SYNTAX_MACADDRESS:
    case SYNTAX_DATETIME:
    case SYNTAX_BCDATETIME:
    case SYNTAX_DISPLAYSTR:
        return true;
    default:
        return false;
    }
}
