#include "tools/fetch/FetchValueCheck.h"

#include "snmpfw/DisplayDate.h"
#include "snmpfw/DisplayText.h"
#include "snmpfw/SnmpVarDef.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <vector>

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

// The numbered groups of pattern in text, or nothing when it does not match.
std::vector<std::string> Fields(const std::string& text, const char* pattern)
{
    std::smatch match;
    if (!std::regex_match(text, match, std::regex(pattern)))
        return {};
    return std::vector<std::string>(match.begin(), match.end());
}

unsigned long long Number(const std::string& digits)
{
    return digits.empty() ? 0 : std::strtoull(digits.c_str(), nullptr, 10);
}

// The time of day, 00:00:00 to 23:59:59; leap: a 60th second is allowed.
bool IsTimeOfDay(const std::string& hour, const std::string& minutes, const std::string& seconds, bool leap)
{
    return InRange(hour, 0, 23) && InRange(minutes, 0, 59) && InRange(seconds, 0, leap ? 60 : 59);
}

// Whether day is a day of the month. The calendar repeats every 400 years,
// so a year the platform's dates cannot hold is taken as its like in that
// range.
bool IsDayOfMonth(const std::string& year, const std::string& month, const std::string& day)
{
    if (!InRange(month, 1, 12) || !InRange(day, 1, 31) || !InRange(year, 0, UINT16_MAX))
        return false;
    const int like = 2000 + static_cast<int>(Number(year) % 400);
    return COleDateTime(like, static_cast<int>(Number(month)), static_cast<int>(Number(day)), 0, 0, 0).GetStatus() ==
           COleDateTime::valid;
}

// Hundredths of a second, or the duration text TimeTicks are shown in; the
// total must fit the 32 bits of a TimeTicks (RFC 2578, 7.1.8).
bool IsTimeTicks(const std::string& text)
{
    if (InRange(text, 0, UINT32_MAX))
        return true;
    const std::vector<std::string> f =
        Fields(text, "(?:([0-9]+) days, |([0-9]+) day )?([0-9]+):([0-9]{1,2}):([0-9]{1,2})\\.([0-9]{2})");
    const std::string days = f.empty() ? "" : f[1] + f[2];
    if (f.empty() || !IsTimeOfDay(f[3], f[4], f[5], false) || !(days.empty() || InRange(days, 0, 497)))
        return false;
    const unsigned long long seconds = ((Number(days) * 24 + Number(f[3])) * 60 + Number(f[4])) * 60 + Number(f[5]);
    return seconds * 100 + Number(f[6]) <= UINT32_MAX;
}

// RFC 2579 DateAndTime: year in two octets, month, day of the month, time
// of day with a leap second, deci-seconds 0-9, and a zone of "+" or "-",
// hours 0-13 and minutes 0-59.
bool IsDateAndTime(const std::string& text)
{
    const std::vector<std::string> f = Fields(text, "([0-9]+)-([0-9]+)-([0-9]+),([0-9]+):([0-9]+):([0-9]+)\\."
                                                    "([0-9]+)(?:,[-+]([0-9]+):([0-9]+))?");
    return !f.empty() && IsDayOfMonth(f[1], f[2], f[3]) && IsTimeOfDay(f[4], f[5], f[6], true) && InRange(f[7], 0, 9) &&
           (f[8].empty() || (InRange(f[8], 0, 13) && InRange(f[9], 0, 59)));
}

// The display form of a bcdatetime: a 24-hour time whose AM or PM, when
// given, must agree with it, as the framework writes it ("13:30:15 PM"); the
// framework's reading ignores it, so "01:30:15 PM" would go out as 01:30.
bool IsDisplayDate(const std::string& text)
{
    const std::vector<std::string> f =
        Fields(text, "[0-9]{4}/[0-9]{1,2}/[0-9]{1,2} ([0-9]{1,2}):[0-9]{2}:[0-9]{2}(?: ([AP])M)?");
    if (f.empty() || ParseDisplayDate(CString(text.c_str())).GetStatus() != COleDateTime::valid)
        return false;
    return f[2].empty() || (f[2] == "P") == (Number(f[1]) >= 12);
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
        return IsTimeTicks(text) ? ""
                                 : "hundredths of a second up to 4294967295, or a duration such as 1 day 2:03:04.05";
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
        return IsDateAndTime(text) ? ""
                                   : "a date and time such as 2024-5-17,13:30:15.0,+2:0 (year 0-65535, "
                                     "zone + or - 0-13:0-59)";
    case SYNTAX_BCDATETIME:
        return IsDisplayDate(text) ? ""
                                   : "a date and time such as 2024/05/17 13:30:15 PM (years 100-9999, 24-hour time; AM "
                                     "or PM must agree)";
    default:
        return "a syntax that a set can send";
    }
}
