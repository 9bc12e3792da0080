#include "snmplib/Oid.h"

#include "snmplib/SequenceCompare.h"

#include <algorithm>
#include <charconv>

namespace {

// Reads one decimal sub-identifier at p; advances p past it. False when there is
// no digit or the value does not fit in 32 bits.
bool ReadSubid(const char*& p, SmiUINT32& out)
{
    if (*p < '0' || *p > '9')
        return false;
    unsigned long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + static_cast<unsigned long long>(*p - '0');
        if (v > SMI_MAX_SUBID)
            return false;
    }
    out = static_cast<SmiUINT32>(v);
    return true;
}

// Parses dotted text (a single leading dot accepted), handing each
// sub-identifier to add, which returns false to stop. False when the text
// does not parse or add stopped.
template <class Add>
bool ParseDotted(const char* p, Add add)
{
    if (p == nullptr)
        return false;
    if (*p == '.')
        ++p;
    while (true) {
        SmiUINT32 subid = 0;
        if (!ReadSubid(p, subid) || !add(subid))
            return false;
        if (*p == '\0')
            return true;
        if (*p++ != '.')
            return false;
    }
}

// Sub-identifiers read without the heap; Net-SNMP's own identifiers are at
// most this long.
const size_t kShortOid = 128;

// Parses into at most kShortOid sub-identifiers at out: their count, or 0
// when the text does not parse within them, or kShortOid + 1 when it goes on
// past them (whether the rest parses is not known then).
size_t ParseShort(const char* p, SmiUINT32* out)
{
    size_t n = 0;
    bool tooLong = false;
    const bool parsed = ParseDotted(p, [&](SmiUINT32 subid) {
        tooLong = n == kShortOid;
        if (!tooLong)
            out[n++] = subid;
        return !tooLong;
    });
    return tooLong ? kShortOid + 1 : (parsed ? n : 0);
}

}  // namespace

bool Oid::IsDotted(const char* dotted)
{
    return ParseDotted(dotted, [](SmiUINT32) { return true; });
}

int Oid::CompareDotted(const char* a, const char* b)
{
    SmiUINT32 x[kShortOid];
    SmiUINT32 y[kShortOid];
    const size_t m = ParseShort(a, x);
    const size_t n = ParseShort(b, y);
    if (m > kShortOid || n > kShortOid)
        return Oid(a).compare(Oid(b));
    // Text that does not parse gives no sub-identifiers: the empty
    // identifier, which orders before every other.
    const size_t common = std::min(m, n);
    for (size_t i = 0; i < common; ++i)
        if (x[i] != y[i])
            return x[i] < y[i] ? -1 : 1;
    return m == n ? 0 : (m < n ? -1 : 1);
}

bool Oid::parse(const char* dotted, std::vector<SmiUINT32>& out)
{
    SmiUINT32 subids[kShortOid];
    const size_t n = ParseShort(dotted, subids);
    if (n == 0)
        return false;
    if (n <= kShortOid) {
        // Into the vector's own room when it has enough.
        out.assign(subids, subids + n);
        return true;
    }
    std::vector<SmiUINT32> parsed;
    if (!ParseDotted(dotted, [&parsed](SmiUINT32 subid) {
            parsed.push_back(subid);
            return true;
        }))
        return false;
    out.swap(parsed);
    return true;
}

Oid::Oid(const char* dotted)
{
    *this = dotted;
}

Oid::Oid(const std::string& dotted) : Oid(dotted.c_str()) {}

Oid::Oid(const SmiUINT32* raw, unsigned long count)
{
    set_data(raw, count);
}

Oid& Oid::operator=(const char* dotted)
{
    if (!parse(dotted, subids))
        subids.clear();
    return *this;
}

Oid& Oid::operator=(const std::string& dotted)
{
    return *this = dotted.c_str();
}

Oid& Oid::operator+=(const Oid& tail)
{
    subids.insert(subids.end(), tail.subids.begin(), tail.subids.end());
    return *this;
}

Oid& Oid::operator+=(const char* dotted)
{
    std::vector<SmiUINT32> tail;
    if (parse(dotted, tail))
        subids.insert(subids.end(), tail.begin(), tail.end());
    return *this;
}

Oid& Oid::operator+=(SmiUINT32 subid)
{
    subids.push_back(subid & SMI_MAX_SUBID);
    return *this;
}

SmiUINT32 Oid::operator[](unsigned long index) const
{
    return index < subids.size() ? subids[index] : 0;
}

void Oid::set_data(const SmiUINT32* raw, unsigned long count)
{
    subids.clear();
    if (raw == nullptr)
        return;
    subids.reserve(count);
    for (unsigned long i = 0; i < count; ++i)
        subids.push_back(raw[i] & SMI_MAX_SUBID);
}

void Oid::trim(unsigned long n)
{
    subids.resize(n >= subids.size() ? 0 : subids.size() - n);
}

void Oid::AppendDotted(std::string& text) const
{
    // Written in place: a dot and at most ten digits per sub-identifier.
    const size_t start = text.size();
    text.resize(start + subids.size() * 11);
    char* out = &text[start];
    char* const end = out + subids.size() * 11;
    for (size_t i = 0; i < subids.size(); ++i) {
        if (i > 0)
            *out++ = '.';
        out = std::to_chars(out, end, subids[i]).ptr;
    }
    text.resize(static_cast<size_t>(out - text.data()));
}

std::string Oid::to_string() const
{
    std::string text;
    AppendDotted(text);
    return text;
}

const char* Oid::get_printable() const
{
    // The text's buffer is kept from one call to the next.
    std::string& text = printable.Text();
    text.clear();
    AppendDotted(text);
    return text.c_str();
}

int Oid::nCompare(unsigned long n, const Oid& other) const
{
    return CompareSequences(subids, other.subids, n);
}

int Oid::compare(const Oid& other) const
{
    const unsigned long longest = subids.size() > other.subids.size() ? len() : other.len();
    return nCompare(longest, other);
}
