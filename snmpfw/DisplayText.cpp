#include "snmpfw/DisplayText.h"

#include <cmath>

CString DoubleText(double value)
{
    if (std::isnan(value))
        value = std::fabs(value);
    CString text;
    text.Format("%f", value);
    return text;
}

CString CharactersOf(const unsigned char* octets, size_t count)
{
    size_t n = 0;
    while (n < count && octets[n] != 0)
        ++n;
    return CString(reinterpret_cast<const char*>(octets), static_cast<int>(n));
}
