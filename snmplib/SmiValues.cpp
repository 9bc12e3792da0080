#include "snmplib/SmiValues.h"

#include <cstdio>

const char* SnmpUInt32::get_printable() const
{
    printable = std::to_string(value);
    return printable.c_str();
}

const char* TimeTicks::get_printable() const
{
    const unsigned long hundredths = value % 100;
    const unsigned long seconds = (value / 100) % 60;
    const unsigned long minutes = (value / 6000) % 60;
    const unsigned long hours = (value / 360000) % 24;
    const unsigned long days = value / 8640000;
    char text[64];
    if (days == 0)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu.%02lu", hours, minutes, seconds, hundredths);
    else if (days == 1)
        std::snprintf(text, sizeof text, "1 day %lu:%02lu:%02lu.%02lu", hours, minutes, seconds, hundredths);
    else
        std::snprintf(text, sizeof text, "%lu days, %lu:%02lu:%02lu.%02lu", days, hours, minutes, seconds, hundredths);
    printable = text;
    return printable.c_str();
}

Counter64 Counter64::ld_to_c64(long double ld)
{
    // Converting a value outside 0..2^64-1 (or NaN) to an integer is undefined,
    // so those are clamped first.
    static const long double kTwoTo64 = 18446744073709551616.0L;
    if (!(ld > 0))
        return Counter64();
    if (ld >= kTwoTo64)
        return Counter64(~0ULL);
    return Counter64(static_cast<unsigned long long>(ld));
}

const char* Counter64::get_printable() const
{
    printable = std::to_string(value());
    return printable.c_str();
}
