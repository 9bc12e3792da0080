#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One retrieval of a round: the address handed to the plug-in and the
// positions of every name on the command line that stands for it.
struct CHostTarget {
    std::string address;
    std::vector<size_t> names;
};

// The dotted IPv4 address that name (an address or a host name) stands for;
// false when it stands for none.
bool ResolveHostAddress(const std::string& name, std::string* dotted);

// The names as the retrievals they need: names that resolve to one IPv4
// address share one retrieval (the plug-in collects the clients of an
// address in one record, so that walks of it at the same time would split
// them), in the order of their first name. A name that does not resolve goes
// to the plug-in as given, which reports why it cannot be asked.
std::vector<CHostTarget> GroupHostAddresses(const std::vector<std::string>& names);
