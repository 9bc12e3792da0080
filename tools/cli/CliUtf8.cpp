#include "tools/cli/CliUtf8.h"

// RFC 3629, section 4.
size_t Utf8SequenceLength(const std::string& text, size_t at)
{
    const auto octet = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = octet(at);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second octet's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || octet(at + 1) < low || octet(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (octet(at + i) < 0x80 || octet(at + i) > 0xBF)
            return 0;
    return length;
}

bool IsUtf8(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string AsUtf8(const std::string& text)
{
    if (IsUtf8(text))
        return text;
    std::string mapped;
    for (const char c : text) {
        const unsigned char octet = static_cast<unsigned char>(c);
        if (octet < 0x80) {
            mapped += c;
        } else {
            mapped += static_cast<char>(0xC0 | (octet >> 6));
            mapped += static_cast<char>(0x80 | (octet & 0x3F));
        }
    }
    return mapped;
}
