#pragma once

#include <string>

#include "snmplib/SmiSyntax.h"

// Unsigned 32-bit SMI values. Each keeps the low 32 bits of what it is given.
class SnmpUInt32 {
public:
    SnmpUInt32(unsigned long v = 0) : value(v & 0xFFFFFFFFUL) {}
    operator unsigned long() const { return value; }
    SnmpUInt32& operator=(unsigned long v)
    {
        value = v & 0xFFFFFFFFUL;
        return *this;
    }
    bool valid() const { return true; }
    // Decimal text. Valid until this object changes or is destroyed.
    virtual const char* get_printable() const;
    virtual SmiUINT32 get_syntax() const { return sNMP_SYNTAX_UINT32; }
    virtual ~SnmpUInt32() = default;
    SnmpUInt32(const SnmpUInt32&) = default;
    SnmpUInt32& operator=(const SnmpUInt32&) = default;

protected:
    unsigned long value;
    mutable std::string printable;
};

class Counter32 : public SnmpUInt32 {
public:
    using SnmpUInt32::SnmpUInt32;
    using SnmpUInt32::operator=;
    SmiUINT32 get_syntax() const override { return sNMP_SYNTAX_CNTR32; }
};

class Gauge32 : public SnmpUInt32 {
public:
    using SnmpUInt32::SnmpUInt32;
    using SnmpUInt32::operator=;
    SmiUINT32 get_syntax() const override { return sNMP_SYNTAX_GAUGE32; }
};

// Hundredths of a second.
class TimeTicks : public SnmpUInt32 {
public:
    using SnmpUInt32::SnmpUInt32;
    using SnmpUInt32::operator=;
    SmiUINT32 get_syntax() const override { return sNMP_SYNTAX_TIMETICKS; }
    // "h:mm:ss.hh" below one day, "1 day h:mm:ss.hh", then "N days, h:mm:ss.hh".
    const char* get_printable() const override;
};

// Unsigned 64-bit counter, held as two 32-bit halves.
class Counter64 {
public:
    Counter64() = default;
    Counter64(unsigned long long v) : hi(v >> 32), lo(v & 0xFFFFFFFFULL) {}
    Counter64(unsigned long high, unsigned long low) : hi(high & 0xFFFFFFFFUL), lo(low & 0xFFFFFFFFUL) {}

    unsigned long high() const { return hi; }
    unsigned long low() const { return lo; }
    void set_high(unsigned long h) { hi = h & 0xFFFFFFFFUL; }
    void set_low(unsigned long l) { lo = l & 0xFFFFFFFFUL; }
    unsigned long long value() const { return (static_cast<unsigned long long>(hi) << 32) | lo; }
    // Comparisons go through this conversion.
    operator unsigned long long() const { return value(); }

    // Conversion from a long double: the integer part, 0 for negative numbers and
    // NaN, 2^64-1 for anything at or above 2^64.
    static Counter64 ld_to_c64(long double ld);
    static long double c64_to_ld(const Counter64& c) { return c.c64_to_ld(); }
    long double c64_to_ld() const { return static_cast<long double>(value()); }

    bool valid() const { return true; }
    SmiUINT32 get_syntax() const { return sNMP_SYNTAX_CNTR64; }
    // Decimal text. Valid until this object changes or is destroyed.
    const char* get_printable() const;

private:
    unsigned long hi = 0;
    unsigned long lo = 0;
    mutable std::string printable;
};
