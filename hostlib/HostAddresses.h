#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <string>
#include <vector>

// One retrieval of a round: the address handed to the plug-in and the
// positions of every name on the command line that stands for it.
struct CHostTarget {
    std::string address;
    std::vector<size_t> names;
};

// The address as dotted text.
std::string DottedAddress(const in_addr& address);
// text as a dotted IPv4 address (inet_pton's forms); false when it is none.
bool DottedAddressOf(const std::string& text, std::string* dotted);
// The plug-in's own rule for a host name, so that a host resolves exactly the
// names the plug-in would: dot-separated labels of 1 to 63 letters, digits,
// "-" and "_", not beginning or ending with "-", 253 characters at most, an
// optional final dot, and a last label that is not all digits (texts such as
// "1.2.3" or "0x7f.1" are broken addresses, never names).
bool MayBeHostName(const std::string& name);

// The dotted IPv4 address that name (an address or a host name) stands for;
// false when it stands for none.
bool ResolveHostAddress(const std::string& name, std::string* dotted);

// The names as the retrievals they need: names that resolve to one IPv4
// address share one retrieval (the plug-in collects the clients of an
// address in one record, so that walks of it at the same time would split
// them), in the order of their first name. A name that does not resolve goes
// to the plug-in as given, which reports why it cannot be asked.
std::vector<CHostTarget> GroupHostAddresses(const std::vector<std::string>& names);
