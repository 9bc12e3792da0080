#include "snmplib/OctetStr.h"

#include "snmplib/SequenceCompare.h"

#include <cstring>

namespace {

const char kUpperHexDigits[] = "0123456789ABCDEF";

unsigned char HexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned char>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned char>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned char>(c - 'A' + 10);
    return 0;
}

bool IsPrintableOctet(unsigned char c)
{
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

OctetStr::OctetStr(const char* text)
{
    *this = text;
}

OctetStr::OctetStr(const std::string& bytes) : octets(bytes.begin(), bytes.end()) {}

OctetStr::OctetStr(const unsigned char* raw, unsigned long length)
{
    set_data(raw, length);
}

OctetStr& OctetStr::operator=(const char* text)
{
    octets.clear();
    if (text != nullptr)
        octets.assign(text, text + std::strlen(text));
    return *this;
}

OctetStr& OctetStr::operator+=(const OctetStr& tail)
{
    octets.insert(octets.end(), tail.octets.begin(), tail.octets.end());
    return *this;
}

OctetStr& OctetStr::operator+=(const char* text)
{
    if (text != nullptr)
        octets.insert(octets.end(), text, text + std::strlen(text));
    return *this;
}

OctetStr& OctetStr::operator+=(unsigned char octet)
{
    octets.push_back(octet);
    return *this;
}

unsigned char OctetStr::operator[](unsigned long index) const
{
    return index < octets.size() ? octets[index] : 0;
}

void OctetStr::set_data(const unsigned char* raw, unsigned long length)
{
    if (raw == nullptr)
        octets.clear();
    else
        octets.assign(raw, raw + length);
}

const char* OctetStr::get_printable() const
{
    for (unsigned char c : octets) {
        if (!IsPrintableOctet(c))
            return get_printable_hex();
    }
    std::string& text = printable.Text();
    text.assign(octets.begin(), octets.end());
    return text.c_str();
}

const char* OctetStr::get_printable_hex() const
{
    std::string& text = printable.Text();
    text.clear();
    text.reserve(octets.size() * 3);
    for (size_t i = 0; i < octets.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += kUpperHexDigits[octets[i] >> 4];
        text += kUpperHexDigits[octets[i] & 0x0F];
    }
    return text.c_str();
}

OctetStr OctetStr::from_hex_string(const OctetStr& hex)
{
    std::vector<unsigned char> digits;
    digits.reserve(hex.octets.size());
    for (unsigned char c : hex.octets) {
        if (c != ' ')
            digits.push_back(HexDigitValue(c));
    }
    OctetStr result;
    size_t next = 0;
    if (digits.size() % 2 != 0)
        result.octets.push_back(digits[next++]);
    for (; next + 1 < digits.size(); next += 2)
        result.octets.push_back(static_cast<unsigned char>(digits[next] * 16 + digits[next + 1]));
    return result;
}

int OctetStr::nCompare(unsigned long n, const OctetStr& other) const
{
    return CompareSequences(octets, other.octets, n);
}

int OctetStr::compare(const OctetStr& other) const
{
    const unsigned long longest = octets.size() > other.octets.size() ? len() : other.len();
    return nCompare(longest, other);
}
