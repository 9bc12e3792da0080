#include "hostlib/HostAddresses.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <map>

namespace {

// The plug-in's bounds of a host name (RFC 1123).
const size_t kLongestName = 253;
const size_t kLongestLabel = 63;

bool IsLabelCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool IsLabel(const std::string& label)
{
    return !label.empty() && label.size() <= kLongestLabel && label.front() != '-' && label.back() != '-' &&
           std::all_of(label.begin(), label.end(), IsLabelCharacter);
}

}  // namespace

std::string DottedAddress(const in_addr& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool DottedAddressOf(const std::string& text, std::string* dotted)
{
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    *dotted = DottedAddress(address);
    return true;
}

bool MayBeHostName(const std::string& name)
{
    const std::string trimmed = !name.empty() && name.back() == '.' ? name.substr(0, name.size() - 1) : name;
    if (trimmed.empty() || trimmed.size() > kLongestName)
        return false;
    bool allDigits = true;
    for (size_t start = 0; start <= trimmed.size();) {
        const size_t end = std::min(trimmed.find('.', start), trimmed.size());
        const std::string label = trimmed.substr(start, end - start);
        if (!IsLabel(label))
            return false;
        allDigits = std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; });
        start = end + 1;
    }
    return !allDigits;
}

bool ResolveHostAddress(const std::string& name, std::string* dotted)
{
    if (DottedAddressOf(name, dotted))
        return true;
    if (!MayBeHostName(name))
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    *dotted = DottedAddress(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr);
    freeaddrinfo(found);
    return true;
}

std::vector<CHostTarget> GroupHostAddresses(const std::vector<std::string>& names)
{
    std::vector<CHostTarget> targets;
    std::map<std::string, size_t> byAddress;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string address;
        if (!ResolveHostAddress(names[i], &address))
            address = names[i];
        auto found = byAddress.emplace(address, targets.size());
        if (found.second)
            targets.push_back({address, {}});
        targets[found.first->second].names.push_back(i);
    }
    return targets;
}
