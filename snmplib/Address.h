#pragma once

#include <string>

// An IPv4 address. Built from dotted text ("192.0.2.1") or from a host name,
// which is resolved (IPv4 only) when the address is built; name lookups block.
// Text that is neither gives an invalid address.
class IpAddress {
public:
    IpAddress() = default;
    IpAddress(const char* text);  // implicit on purpose: IpAddress a = "10.0.0.1";
    IpAddress(const std::string& text);
    virtual ~IpAddress() = default;
    IpAddress(const IpAddress&) = default;
    IpAddress& operator=(const IpAddress&) = default;

    IpAddress& operator=(const char* text);

    bool valid() const { return isValid; }
    // Dotted quad; empty when not valid. Valid until this object changes or is destroyed.
    virtual const char* get_printable() const;
    // Octet at index 0..3 (network order); 0 outside or when not valid.
    unsigned char operator[](int index) const;
    // The four octets in network order (meaningful only when valid()).
    const unsigned char* data() const { return octets; }
    int get_length() const { return 4; }

    // Takes the address from raw octets; only exactly four octets make it valid.
    bool set_octets(const unsigned char* raw, unsigned long length);
    void clear();

    friend bool operator==(const IpAddress& a, const IpAddress& b);
    friend bool operator!=(const IpAddress& a, const IpAddress& b) { return !(a == b); }

    // Dotted quad or IPv4 host name to four octets; false when it is neither.
    static bool resolve(const std::string& host, unsigned char out[4]);

protected:
    bool parseHost(const std::string& host);

private:
    unsigned char octets[4] = {0, 0, 0, 0};
    bool isValid = false;
    mutable std::string printable;
};

// An IPv4 address with a UDP port. Text forms: "host", "host:port", "host/port";
// without a port the port is 161. A port outside 0..65535 or with non-digits
// makes the address invalid.
class UdpAddress : public IpAddress {
public:
    static constexpr unsigned short kDefaultPort = 161;

    UdpAddress() = default;
    UdpAddress(const char* text);
    UdpAddress(const std::string& text);
    UdpAddress(const IpAddress& ip, unsigned short port = kDefaultPort);

    UdpAddress& operator=(const char* text);

    void set_port(unsigned short newPort) { port = newPort; }
    unsigned short get_port() const { return port; }

    // "a.b.c.d/port"; empty when not valid.
    const char* get_printable() const override;

    friend bool operator==(const UdpAddress& a, const UdpAddress& b);
    friend bool operator!=(const UdpAddress& a, const UdpAddress& b) { return !(a == b); }

private:
    void parse(const std::string& text);

    unsigned short port = kDefaultPort;
    mutable std::string printableWithPort;
};

// Any address the library knows: here an IP address with or without a UDP port.
// Text with a ":" or "/" port part becomes a UDP address, other text an IP address.
class GenAddress {
public:
    enum addr_type { type_invalid, type_ip, type_udp };

    GenAddress() = default;
    GenAddress(const char* text);
    GenAddress(const std::string& text);
    GenAddress(const IpAddress& ip);
    GenAddress(const UdpAddress& udp);

    GenAddress& operator=(const char* text);

    bool valid() const { return type != type_invalid && udp.valid(); }
    addr_type get_type() const { return type; }
    // "address/port" for a UDP address, "address" for an IP address, empty when invalid.
    const char* get_printable() const;

    // The address with its port (161 when it has none).
    const UdpAddress& get_udp_address() const { return udp; }
    const IpAddress& get_ip_address() const { return udp; }

private:
    void parse(const std::string& text);

    UdpAddress udp;
    addr_type type = type_invalid;
};
