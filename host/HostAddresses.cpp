#include "host/HostAddresses.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cctype>
#include <map>

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
    if (trimmed.empty() || trimmed.size() > 253)
        return false;
    for (const char c : trimmed)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            return false;
    const std::string last = trimmed.substr(trimmed.rfind('.') + 1);
    for (const char c : last)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return true;
    return false;
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
