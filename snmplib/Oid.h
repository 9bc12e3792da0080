#pragma once

#include <string>
#include <vector>

#include "snmplib/PrintableText.h"
#include "snmplib/SmiSyntax.h"

// An object identifier: a sequence of 32-bit sub-identifiers.
// Text form is dotted decimal without a leading dot ("1.3.6.1.2.1.1.3.0").
// Text that does not parse (a non-digit, an empty component, a sub-identifier
// above 4294967295) yields an empty, invalid Oid; an empty Oid is not valid.
class Oid {
public:
    Oid() = default;
    Oid(const char* dotted);  // implicit on purpose: Oid o = "1.3.6";
    Oid(const std::string& dotted);
    Oid(const SmiUINT32* raw, unsigned long count);

    Oid& operator=(const char* dotted);
    Oid& operator=(const std::string& dotted);

    // Appends sub-identifiers; an unparsable text appends nothing.
    Oid& operator+=(const Oid& tail);
    Oid& operator+=(const char* dotted);
    Oid& operator+=(SmiUINT32 subid);

    unsigned long len() const { return static_cast<unsigned long>(subids.size()); }
    bool valid() const { return !subids.empty(); }

    // Sub-identifier at index; 0 for an index outside the identifier.
    SmiUINT32 operator[](unsigned long index) const;
    // The sub-identifiers, len() of them (null when empty); laid out as Net-SNMP's oid[].
    const SmiUINT32* data() const { return subids.empty() ? nullptr : subids.data(); }

    void set_data(const SmiUINT32* raw, unsigned long count);
    // Removes the last n sub-identifiers (all of them when n >= len()).
    void trim(unsigned long n = 1);
    void clear() { subids.clear(); }

    // Dotted text; the pointer stays valid until this Oid changes or is destroyed.
    const char* get_printable() const;
    std::string to_string() const;

    // Compares the first n sub-identifiers: -1, 0 or 1. When one identifier runs out
    // before n, the shorter one is the smaller, unless both ran out.
    int nCompare(unsigned long n, const Oid& other) const;
    // Lexicographic order; a proper prefix orders before the longer identifier.
    int compare(const Oid& other) const;

    friend bool operator==(const Oid& a, const Oid& b) { return a.subids == b.subids; }
    friend bool operator!=(const Oid& a, const Oid& b) { return !(a == b); }
    friend bool operator<(const Oid& a, const Oid& b) { return a.compare(b) < 0; }
    friend bool operator<=(const Oid& a, const Oid& b) { return a.compare(b) <= 0; }
    friend bool operator>(const Oid& a, const Oid& b) { return a.compare(b) > 0; }
    friend bool operator>=(const Oid& a, const Oid& b) { return a.compare(b) >= 0; }

    // Parses dotted text into sub-identifiers; false (and out untouched) when it does not parse.
    // A single leading dot is accepted.
    static bool parse(const char* dotted, std::vector<SmiUINT32>& out);
    // Whether the text parses, without building it.
    static bool IsDotted(const char* dotted);
    // Oid(a).compare(Oid(b)), without building either unless one is longer
    // than 128 sub-identifiers.
    static int CompareDotted(const char* a, const char* b);

private:
    void AppendDotted(std::string& text) const;

    std::vector<SmiUINT32> subids;
    CPrintableText printable;
};
