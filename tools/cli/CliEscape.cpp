#include "tools/cli/CliEscape.h"

#include "tools/cli/CliUtf8.h"

#include <cstdio>

const char kEscapeHelp[] = "texts from the agent are shown with a backslash as \\\\, a tab, a line feed and a "
                           "carriage return as \\t, \\n and \\r, and any other control character, or an octet that "
                           "is not part of a UTF-8 character, as \\xHH.";

namespace {

// The length of the printable UTF-8 character that starts at text[at]; 0
// for an octet that starts none and for the C1 controls (U+0080 to U+009F,
// encoded C2 80 to C2 9F), which some terminals obey.
size_t PrintableCharacterLength(const std::string& text, size_t at)
{
    const size_t length = Utf8SequenceLength(text, at);
    const bool c1 =
        length == 2 && static_cast<unsigned char>(text[at]) == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
    return c1 ? 0 : length;
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
