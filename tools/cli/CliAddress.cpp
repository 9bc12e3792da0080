#include "tools/cli/CliAddress.h"

#include <cctype>

namespace {

// More digits than any port has: the text is refused rather than read.
const size_t kMostPortDigits = 5;

}  // namespace

bool AllDigits(const std::string& text)
{
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return !text.empty();
}

CAddressPort SplitAddressPort(const std::string& text)
{
    CAddressPort split;
    split.address = text;
    const size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        return split;
    const std::string digits = text.substr(colon + 1);
    if (!AllDigits(digits))
        return split;
    split.address = text.substr(0, colon);
    split.port = digits.size() <= kMostPortDigits ? std::stoi(digits) : 0;
    split.valid = split.port >= 1 && split.port <= 65535;
    if (!split.valid)
        split.port = 0;
    return split;
}
