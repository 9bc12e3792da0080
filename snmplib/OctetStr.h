#pragma once

#include <string>
#include <vector>

#include "snmplib/PrintableText.h"

// An octet string: any bytes, embedded zeros included.
class OctetStr {
public:
    OctetStr() = default;
    OctetStr(const char* text);  // bytes up to the first zero byte; null gives empty
    OctetStr(const std::string& bytes);
    OctetStr(const unsigned char* raw, unsigned long length);

    OctetStr& operator=(const char* text);
    OctetStr& operator+=(const OctetStr& tail);
    OctetStr& operator+=(const char* text);
    OctetStr& operator+=(unsigned char octet);

    unsigned long len() const { return static_cast<unsigned long>(octets.size()); }
    // The octets, len() of them; not zero-terminated. Null when empty.
    const unsigned char* data() const { return octets.empty() ? nullptr : octets.data(); }
    // Octet at index; 0 for an index outside the string.
    unsigned char operator[](unsigned long index) const;
    bool valid() const { return true; }

    void set_data(const unsigned char* raw, unsigned long length);
    void clear() { octets.clear(); }

    // The octets as text when every one is printable (or tab, CR, LF),
    // otherwise get_printable_hex(). Empty for an empty string. The pointer stays
    // valid until this object changes or is destroyed.
    const char* get_printable() const;
    // Two upper-case hexadecimal digits per octet, separated by blanks ("00 0D 88").
    const char* get_printable_hex() const;
    std::string to_string() const { return std::string(octets.begin(), octets.end()); }

    // Reads hexadecimal text: blanks are skipped; with an odd number of digits the
    // first digit alone gives the first octet; a character that is not a
    // hexadecimal digit counts as the digit 0.
    static OctetStr from_hex_string(const OctetStr& hex);

    // Byte-wise comparison of the first n octets (-1, 0, 1); a string that ends
    // first is the smaller.
    int nCompare(unsigned long n, const OctetStr& other) const;
    int compare(const OctetStr& other) const;

    friend bool operator==(const OctetStr& a, const OctetStr& b) { return a.octets == b.octets; }
    friend bool operator!=(const OctetStr& a, const OctetStr& b) { return !(a == b); }
    friend bool operator<(const OctetStr& a, const OctetStr& b) { return a.compare(b) < 0; }
    friend bool operator<=(const OctetStr& a, const OctetStr& b) { return a.compare(b) <= 0; }
    friend bool operator>(const OctetStr& a, const OctetStr& b) { return a.compare(b) > 0; }
    friend bool operator>=(const OctetStr& a, const OctetStr& b) { return a.compare(b) >= 0; }

private:
    std::vector<unsigned char> octets;
    CPrintableText printable;
};
