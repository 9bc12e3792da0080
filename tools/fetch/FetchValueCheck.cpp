#include "tools/fetch/FetchValueCheck.h"

#include "snmpfw/DisplayText.h"
#include "snmpfw/SnmpVarDef.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <regex>

namespace {

// A decimal number from min to max, as the text is written.
bool InRange(const std::string& text, long long min, unsigned long long max)
{
    static const std::regex kDecimal("[-+]?[0-9]+");
    if (!std::regex_match(text, kDecimal))
        return false;
    errno = 0;
    if (text[0] == '-')
        return std::strtoll(text.c_str(), nullptr, 10) >= min && errno == 0;
    return std::strtoull(text.c_str(), nullptr, 10) <= max && errno == 0;
}

bool IsFiniteDouble(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool IsObjectId(const std::string& text)
{
    static const std::regex kDotted("\\.?[0-9]+(\\.[0-9]+)*");
    if (!std::regex_match(text, kDotted))
        return false;
    for (size_t start = text[0] == '.' ? 1 : 0; start < text.size();) {
        const size_t dot = std::min(text.find('.', start), text.size());
        if (!InRange(text.substr(start, dot - start), 0, UINT32_MAX))
            return false;
        start = dot + 1;
    }
    return true;
}

bool IsIpAddress(const std::string& text)
{
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// Hexadecimal digits in pairs, blanks between them allowed; octets: how
// many the value must have, 0 for any number.
bool IsHexOctets(const std::string& text, size_t octets)
{
    static const std::regex kHex("( *[0-9A-Fa-f]{2})* *");
    size_t digits = 0;
    for (const char c : text)
        digits += c != ' ';
    return std::regex_match(text, kHex) && (octets == 0 || digits == octets * 2);
}

bool Matches(const std::string& text, const char* pattern)
{
    return std::regex_match(text, std::regex(pattern));
}

bool IsTimeTicks(const std::string& text)
{
    return InRange(text, 0, UINT32_MAX) ||
           Matches(text, "([0-9]+ days, |[0-9]+ day )?[0-9]+:[0-9]{1,2}:[0-9]{1,2}\\.[0-9]{1,2}");
}

}  // namespace

std::string CheckSetValue(int syntax, const std::string& text)
{
    if (text == kNullValueText || syntax == SYNTAX_NULL || syntax == SYNTAX_DISPLAYSTR)
        return std::string();
    switch (syntax) {
    case SYNTAX_BOOLEAN:
        return text == kTrueText || text == kFalseText ? "" : "true or false";
    case SYNTAX_INTEGER:
        return InRange(text, INT32_MIN, INT32_MAX) ? "" : "a whole number from -2147483648 to 2147483647";
    case SYNTAX_COUNTER:
    case SYNTAX_GUAGE:
    case SYNTAX_UINTEGER:
        return InRange(text, 0, UINT32_MAX) ? "" : "a whole number from 0 to 4294967295";
    case SYNTAX_COUNTER64:
        return InRange(text, 0, UINT64_MAX) ? "" : "a whole number from 0 to 18446744073709551615";
    case SYNTAX_TIMETICKS:
        return IsTimeTicks(text) ? "" : "hundredths of a second, or a duration such as 1 day 2:03:04.05";
    case SYNTAX_DOUBLE:
        return IsFiniteDouble(text) ? "" : "a finite number";
    case SYNTAX_OBJECTID:
        return IsObjectId(text) ? "" : "an object identifier in dotted decimal";
    case SYNTAX_IPADDRESS:
    case SYNTAX_NSAPADDR:
        return IsIpAddress(text) ? "" : "a dotted IPv4 address";
    case SYNTAX_BITSTR:
    case SYNTAX_OCTETSTR:
    case SYNTAX_OPAQUE:
        return IsHexOctets(text, 0) ? "" : "hexadecimal digits in pairs, e.g. 0A1B2C";
    case SYNTAX_MACADDRESS:
        return IsHexOctets(text, 6) ? "" : "12 hexadecimal digits, e.g. 000D88123456";
    case SYNTAX_DATETIME:
        return Matches(text, "[0-9]+-[0-9]+-[0-9]+,[0-9]+:[0-9]+:[0-9]+\\.[0-9]+(,[-+][0-9]+:[0-9]+)?")
                   ? ""
                   : "a date and time such as 2024-5-17,13:30:15.0,+2:0";
    case SYNTAX_BCDATETIME:
        return Matches(text, "[0-9]{4}/[0-9]{1,2}/[0-9]{1,2} [0-9]{1,2}:[0-9]{2}:[0-9]{2}( [AP]M)?")
                   ? ""
                   : "a date and time such as 2024/05/17 01:30:15 PM";
    default:
        return "a syntax that a set can send";
    }
}
