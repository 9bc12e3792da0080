#pragma once

#include <string>

// An ADDRESS of the command line that may carry a port: "ADDRESS:PORT",
// "[IPV6]:PORT" or ":PORT" (an empty address).
struct CAddressPort {
    std::string address;     // without the brackets
    bool bracketed = false;  // the address was written in brackets, as an IPv6 address is
    bool hasPort = false;    // the text ends in a port
    bool valid = true;       // false: a port beyond 65535, or of more digits than any port has
    int port = 0;            // the port, when there is a valid one
};

// Whether text is one or more decimal digits and nothing else.
bool AllDigits(const std::string& text);

// Only decimal digits after the last colon count as a port, and only when
// what comes before them has no colon or is in brackets; any other text (an
// IPv6 address has more colons) is an address as a whole, without a port.
CAddressPort SplitAddressPort(const std::string& text);
