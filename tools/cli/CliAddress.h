#pragma once

#include <string>

// An ADDRESS of the command line that may carry a port: "ADDRESS:PORT".
struct CAddressPort {
    std::string address;
    int port = 0;       // 0: the text names no port
    bool valid = true;  // false: a port outside 1 to 65535
};

// Whether text is one or more decimal digits and nothing else.
bool AllDigits(const std::string& text);

// Only a single colon followed by decimal digits counts as a port; any other
// text (an IPv6 address has more colons) is an address as a whole.
CAddressPort SplitAddressPort(const std::string& text);
