#include "platform/AfxCrt.h"

#include <cctype>

namespace {

int LowerByte(unsigned char ch)
{
    return std::tolower(ch);
}

int CompareNoCase(const unsigned char* a, const unsigned char* b)
{
    for (;; ++a, ++b) {
        const int diff = LowerByte(*a) - LowerByte(*b);
        if (diff != 0 || *a == '\0')
            return diff;
    }
}

// Writes the digits of magnitude (and a leading '-' when negative) into buffer.
char* WriteDigits(uint64_t magnitude, bool negative, char* buffer, int radix)
{
    if (buffer == nullptr)
        return nullptr;
    if (radix < 2 || radix > 36) {
        buffer[0] = '\0';
        return buffer;
    }
    char digits[65];
    int count = 0;
    do {
        const unsigned digit = static_cast<unsigned>(magnitude % static_cast<unsigned>(radix));
        digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
        magnitude /= static_cast<unsigned>(radix);
    } while (magnitude != 0);
    char* out = buffer;
    if (negative)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    *out = '\0';
    return buffer;
}

// Radix 10 prints a sign; any other radix prints the bits of the value as unsigned.
char* WriteSigned(int64_t value, uint64_t asUnsigned, char* buffer, int radix)
{
    if (radix == 10 && value < 0) {
        // Negating in unsigned arithmetic keeps the minimum value representable.
        return WriteDigits(0 - static_cast<uint64_t>(value), true, buffer, radix);
    }
    return WriteDigits(asUnsigned, false, buffer, radix);
}

}  // namespace

char* _strdup(const char* strSource)
{
    return strSource != nullptr ? ::strdup(strSource) : nullptr;
}

int _mbscmp(const unsigned char* string1, const unsigned char* string2)
{
    return std::strcmp(reinterpret_cast<const char*>(string1), reinterpret_cast<const char*>(string2));
}

int _mbsicmp(const unsigned char* string1, const unsigned char* string2)
{
    return CompareNoCase(string1, string2);
}

int _stricmp(const char* string1, const char* string2)
{
    return CompareNoCase(reinterpret_cast<const unsigned char*>(string1),
                         reinterpret_cast<const unsigned char*>(string2));
}

int _strnicmp(const char* string1, const char* string2, size_t count)
{
    const auto* a = reinterpret_cast<const unsigned char*>(string1);
    const auto* b = reinterpret_cast<const unsigned char*>(string2);
    for (size_t i = 0; i < count; ++i) {
        const int diff = LowerByte(a[i]) - LowerByte(b[i]);
        if (diff != 0 || a[i] == '\0')
            return diff;
    }
    return 0;
}

int _memicmp(const void* buffer1, const void* buffer2, size_t count)
{
    const auto* a = static_cast<const unsigned char*>(buffer1);
    const auto* b = static_cast<const unsigned char*>(buffer2);
    for (size_t i = 0; i < count; ++i) {
        const int diff = LowerByte(a[i]) - LowerByte(b[i]);
        if (diff != 0)
            return diff;
    }
    return 0;
}

char* _itoa(int value, char* buffer, int radix)
{
    return WriteSigned(value, static_cast<uint32_t>(value), buffer, radix);
}

char* _ltoa(long value, char* buffer, int radix)
{
    return WriteSigned(value, static_cast<unsigned long>(value), buffer, radix);
}

char* _ultoa(unsigned long value, char* buffer, int radix)
{
    return WriteDigits(value, false, buffer, radix);
}

char* _i64toa(int64_t value, char* buffer, int radix)
{
    return WriteSigned(value, static_cast<uint64_t>(value), buffer, radix);
}

char* _ui64toa(uint64_t value, char* buffer, int radix)
{
    return WriteDigits(value, false, buffer, radix);
}
