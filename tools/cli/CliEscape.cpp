#include "tools/cli/CliEscape.h"

#include <cstdint>
#include <cstdio>

const char kEscapeHelp[] = "texts from the agent are shown with a backslash as \\\\, a tab, a line feed and a "
                           "carriage return as \\t, \\n and \\r, and any other control character, or an octet that "
                           "is not part of a UTF-8 character, as \\xHH.";

namespace {

// The length of the printable UTF-8 character that starts at text[at]; 0
// for an octet that starts none (a stray or overlong sequence, a surrogate)
// and for the C1 controls, which some terminals obey.
size_t PrintableCharacterLength(const std::string& text, size_t at)
{
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    const bool valid = code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid && code > 0x9F ? length : 0;
}

std::string HexEscape(unsigned char octet)
{
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02x", octet);
    return hex;
}

std::string EscapedAscii(char c)
{
    switch (c) {
    case '\\':
        return "\\\\";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    default:
        break;
    }
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
        return std::string(1, c);
    return HexEscape(static_cast<unsigned char>(c));
}

}  // namespace

std::string EscapeControls(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            shown += EscapedAscii(text[i++]);
            continue;
        }
        const size_t length = PrintableCharacterLength(text, i);
        if (length > 0) {
            shown.append(text, i, length);
            i += length;
            continue;
        }
        shown += HexEscape(static_cast<unsigned char>(text[i++]));
    }
    return shown;
}
