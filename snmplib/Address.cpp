#include "snmplib/Address.h"

#include "snmplib/Sockets.h"

#include <algorithm>
#include <cstring>

namespace {

// Decimal port of 1 to 5 digits, at most 65535.
bool ParsePort(const std::string& text, unsigned short& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    unsigned long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<unsigned long>(c - '0');
    }
    if (v > 65535)
        return false;
    port = static_cast<unsigned short>(v);
    return true;
}

// Splits "host/port" or "host:port"; false when the text has no port part.
bool SplitPort(const std::string& text, std::string& host, std::string& port)
{
    size_t sep = text.rfind('/');
    if (sep == std::string::npos) {
        sep = text.find(':');
        if (sep == std::string::npos || text.find(':', sep + 1) != std::string::npos)
            return false;
    }
    host = text.substr(0, sep);
    port = text.substr(sep + 1);
    return true;
}

const size_t kLongestName = 253;
const size_t kLongestLabel = 63;

bool IsLabelCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// A host name as RFC 1123 section 2.1 writes it (underscores admitted, as
// local names have them): dot-separated labels of 1 to 63 letters, digits and
// hyphens, not beginning or ending with a hyphen, 253 characters at most, a
// last label that is not all digits (so "1.2.3" and "256.1.1.1" are broken
// addresses, never names), and an optional final dot. Anything else is not
// worth asking the resolver about.
bool IsHostName(const std::string& text)
{
    std::string name = text;
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.empty() || name.size() > kLongestName)
        return false;
    size_t start = 0;
    bool allDigits = true;
    while (start <= name.size()) {
        const size_t end = std::min(name.find('.', start), name.size());
        const std::string label = name.substr(start, end - start);
        if (label.empty() || label.size() > kLongestLabel || label.front() == '-' || label.back() == '-')
            return false;
        allDigits = true;
        for (char c : label) {
            if (!IsLabelCharacter(c))
                return false;
            allDigits = allDigits && c >= '0' && c <= '9';
        }
        start = end + 1;
    }
    return !allDigits;
}

}  // namespace

bool IpAddress::resolve(const std::string& host, unsigned char out[4])
{
    if (host.find('\0') != std::string::npos)
        return false;
    in_addr addr{};
    if (inet_pton(AF_INET, host.c_str(), &addr) != 1) {
        if (!IsHostName(host) || !StartSockets())
            return false;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
            return false;
        addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    std::memcpy(out, &addr.s_addr, 4);
    return true;
}

IpAddress::IpAddress(const char* text)
{
    *this = text;
}

IpAddress::IpAddress(const std::string& text)
{
    parseHost(text);
}

IpAddress& IpAddress::operator=(const char* text)
{
    parseHost(text == nullptr ? std::string() : std::string(text));
    return *this;
}

bool IpAddress::parseHost(const std::string& host)
{
    isValid = resolve(host, octets);
    if (!isValid)
        std::memset(octets, 0, sizeof octets);
    return isValid;
}

const char* IpAddress::get_printable() const
{
    printable.clear();
    if (isValid) {
        for (int i = 0; i < 4; ++i) {
            if (i > 0)
                printable += '.';
            printable += std::to_string(octets[i]);
        }
    }
    return printable.c_str();
}

unsigned char IpAddress::operator[](int index) const
{
    return (isValid && index >= 0 && index < 4) ? octets[index] : 0;
}

bool IpAddress::set_octets(const unsigned char* raw, unsigned long length)
{
    clear();
    if (raw == nullptr || length != 4)
        return false;
    std::memcpy(octets, raw, 4);
    isValid = true;
    return true;
}

void IpAddress::clear()
{
    std::memset(octets, 0, sizeof octets);
    isValid = false;
}

bool operator==(const IpAddress& a, const IpAddress& b)
{
    return a.isValid == b.isValid && std::memcmp(a.octets, b.octets, 4) == 0;
}

UdpAddress::UdpAddress(const char* text)
{
    *this = text;
}

UdpAddress::UdpAddress(const std::string& text)
{
    parse(text);
}

UdpAddress::UdpAddress(const IpAddress& ip, unsigned short p) : IpAddress(ip), port(p) {}

UdpAddress& UdpAddress::operator=(const char* text)
{
    parse(text == nullptr ? std::string() : std::string(text));
    return *this;
}

void UdpAddress::parse(const std::string& text)
{
    std::string host = text;
    std::string portText;
    port = kDefaultPort;
    if (SplitPort(text, host, portText) && !ParsePort(portText, port)) {
        clear();
        return;
    }
    parseHost(host);
}

const char* UdpAddress::get_printable() const
{
    printableWithPort.clear();
    if (valid()) {
        printableWithPort = IpAddress::get_printable();
        printableWithPort += '/';
        printableWithPort += std::to_string(port);
    }
    return printableWithPort.c_str();
}

bool operator==(const UdpAddress& a, const UdpAddress& b)
{
    return static_cast<const IpAddress&>(a) == static_cast<const IpAddress&>(b) && a.port == b.port;
}

GenAddress::GenAddress(const char* text)
{
    *this = text;
}

GenAddress::GenAddress(const std::string& text)
{
    parse(text);
}

GenAddress::GenAddress(const IpAddress& ip)
{
    // A UDP address handed over as its base keeps its port.
    if (const auto* address = dynamic_cast<const UdpAddress*>(&ip)) {
        *this = GenAddress(*address);
        return;
    }
    udp = UdpAddress(ip);
    type = ip.valid() ? type_ip : type_invalid;
}

GenAddress::GenAddress(const UdpAddress& address) : udp(address), type(address.valid() ? type_udp : type_invalid) {}

GenAddress& GenAddress::operator=(const char* text)
{
    parse(text == nullptr ? std::string() : std::string(text));
    return *this;
}

void GenAddress::parse(const std::string& text)
{
    std::string host;
    std::string portText;
    const bool withPort = SplitPort(text, host, portText);
    udp = UdpAddress(text);
    type = !udp.valid() ? type_invalid : (withPort ? type_udp : type_ip);
}

const char* GenAddress::get_printable() const
{
    if (type == type_ip)
        return udp.IpAddress::get_printable();
    if (type == type_udp)
        return udp.get_printable();
    return "";
}
