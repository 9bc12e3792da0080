#include "snmpfw/ValueConversion.h"

#include "snmpfw/SnmpDateAndTime.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CString OctetsToHexText(const unsigned char* octets, unsigned long count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    CString text;
    char* out = text.GetBuffer(static_cast<int>(count * 2));
    for (unsigned long i = 0; i < count; ++i) {
        out[2 * i] = kDigits[octets[i] >> 4];
        out[2 * i + 1] = kDigits[octets[i] & 0x0F];
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

CString DottedText(const Oid& oid, unsigned long first, unsigned long count)
{
    if (count == 0 || first >= oid.len())
        return CString();
    return CString(Oid(oid.data() + first, count).get_printable());
}

CString DecimalText(long long value)
{
    // Without a format to read: a value is shown for every cell of a row.
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    return CString(digits, static_cast<int>(written.ptr - digits));
}

CString Counter64Text(const Counter64& value)
{
    CString text;
    text.Format("%llu", value.value());
    return text;
}

Counter64 Counter64FromText(const CString& text)
{
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (*p == '-')
        return Counter64();
    return Counter64(static_cast<unsigned long long>(std::strtoull(p, nullptr, 10)));
}

namespace {

struct Duration {
    unsigned long days = 0;
    unsigned long hours = 0;
    unsigned long minutes = 0;
    unsigned long seconds = 0;
    unsigned long hundredths = 0;
};

// The three forms TimeTicks::get_printable writes.
bool ReadDuration(const char* text, Duration& d)
{
    if (std::strchr(text, '-') != nullptr)  // %lu would take a sign
        return false;
    if (std::sscanf(text, "%lu days, %lu:%lu:%lu.%lu", &d.days, &d.hours, &d.minutes, &d.seconds, &d.hundredths) == 5)
        return true;
    if (std::sscanf(text, "%lu day %lu:%lu:%lu.%lu", &d.days, &d.hours, &d.minutes, &d.seconds, &d.hundredths) == 5)
        return true;
    d.days = 0;
    return std::sscanf(text, "%lu:%lu:%lu.%lu", &d.hours, &d.minutes, &d.seconds, &d.hundredths) == 4;
}

}  // namespace

unsigned long TimeTicksFromText(const CString& text)
{
    Duration d;
    if (!ReadDuration(text, d))
        return UnsignedFromText(text);
    const long double total =
        (((static_cast<long double>(d.days) * 24 + d.hours) * 60 + d.minutes) * 60 + d.seconds) * 100 + d.hundredths;
    return total > 0xFFFFFFFFUL ? 0xFFFFFFFFUL : static_cast<unsigned long>(total);
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
    const long long value = std::clamp<long long>(std::strtoll(text, nullptr, 10), INT32_MIN, UINT32_MAX);
    return static_cast<unsigned long>(value) & 0xFFFFFFFFUL;
}

bool IsHexSyntax(int syntax)
{
    return syntax == SYNTAX_BITSTR || syntax == SYNTAX_OCTETSTR || syntax == SYNTAX_OPAQUE ||
           syntax == SYNTAX_MACADDRESS;
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
