#include "platform/AfxCrt.h"

int AfxAtoi(const char* text)
{
    if (text == nullptr)
        return 0;
    // strtoll saturates at the 64-bit range, which contains every clamp below.
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}
