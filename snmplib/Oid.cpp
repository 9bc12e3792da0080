#include "snmplib/Oid.h"

#include "snmplib/SequenceCompare.h"

#include <algorithm>
#include <charconv>
#include <cstring>

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

// Skips the single leading dot that parse accepts.
const char* SkipLeadingDot(const char* p)
{
    return *p == '.' ? p + 1 : p;
}

// Whether the whole of dotted would parse.
bool IsDotted(const char* p)
{
    for (p = SkipLeadingDot(p);; ++p) {
        SmiUINT32 subid = 0;
        if (!ReadSubid(p, subid))
            return false;
        if (*p == '\0')
            return true;
        if (*p != '.')
            return false;
    }
}

// Both texts parse: compares them sub-identifier by sub-identifier.
int CompareParsable(const char* a, const char* b)
{
    a = SkipLeadingDot(a);
    b = SkipLeadingDot(b);
    while (true) {
        SmiUINT32 x = 0;
        SmiUINT32 y = 0;
        ReadSubid(a, x);
        ReadSubid(b, y);
        if (x != y)
            return x < y ? -1 : 1;
        if (*a == '\0' || *b == '\0')
            return *a == *b ? 0 : (*a == '\0' ? -1 : 1);
        ++a;
        ++b;
    }
}

}  // namespace

int Oid::CompareDotted(const char* a, const char* b)
{
    const bool aParses = a != nullptr && IsDotted(a);
    const bool bParses = b != nullptr && IsDotted(b);
    // Text that does not parse stands for the empty identifier, which orders
    // before every other.
    if (!aParses || !bParses)
        return aParses == bParses ? 0 : (aParses ? 1 : -1);
    return CompareParsable(a, b);
}

bool Oid::parse(const char* dotted, std::vector<SmiUINT32>& out)
{
    if (dotted == nullptr)
        return false;
    const char* p = dotted;
    if (*p == '.')
        ++p;
    std::vector<SmiUINT32> parsed;
    // One allocation: every sub-identifier but the first follows a dot.
    parsed.reserve(static_cast<size_t>(std::count(p, p + std::strlen(p), '.')) + 1);
    while (true) {
        SmiUINT32 subid = 0;
        if (!ReadSubid(p, subid))
            return false;
        parsed.push_back(subid);
        if (*p == '\0')
            break;
        if (*p != '.')
            return false;
        ++p;
    }
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
    // A sub-identifier has ten digits at most.
    char digits[11];
    for (size_t i = 0; i < subids.size(); ++i) {
        if (i > 0)
            text += '.';
        const auto written = std::to_chars(digits, digits + sizeof digits, subids[i]);
        text.append(digits, written.ptr);
    }
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
    printable.clear();
    AppendDotted(printable);
    return printable.c_str();
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
