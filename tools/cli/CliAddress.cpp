#include "tools/cli/CliAddress.h"

#include <cctype>

namespace {

// More digits than any port has: the text is refused rather than read.
const size_t kMostPortDigits = 5;
const int kHighestPort = 65535;

bool Bracketed(const std::string& text)
{
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

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
    const size_t colon = text.rfind(':');
    const std::string digits = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (!AllDigits(digits))
        return split;
    const std::string head = text.substr(0, colon);
    const bool bracketed = Bracketed(head);
    if (!bracketed && head.find(':') != std::string::npos)
        return split;
    split.address = bracketed ? head.substr(1, head.size() - 2) : head;
    split.bracketed = bracketed;
    split.hasPort = true;
    const int port = digits.size() <= kMostPortDigits ? std::stoi(digits) : kHighestPort + 1;
    split.valid = port <= kHighestPort;
    split.port = split.valid ? port : 0;
    return split;
}
