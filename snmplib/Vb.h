#pragma once

#include <string>
#include <utility>

#include "snmplib/Address.h"
#include "snmplib/OctetStr.h"
#include "snmplib/Oid.h"
#include "snmplib/PrintableText.h"
#include "snmplib/SmiSyntax.h"
#include "snmplib/SmiValues.h"
#include "snmplib/SnmpErrors.h"

// A variable binding: an object identifier and a typed value.
// A new binding has an empty identifier and a null value.
//
// get_value returns SNMP_CLASS_SUCCESS (0) when the stored value has a syntax
// the target type can take, otherwise SNMP_CLASS_INVALID (-10) and leaves the
// target untouched. Integers: INTEGER, Counter32, Gauge32 and TimeTicks read into
// int, long, unsigned int and unsigned long alike (int and unsigned int take the
// 32-bit pattern, long keeps the sign of an INTEGER); Counter64 reads only into
// Counter64, which also takes the unsigned 32-bit syntaxes. OctetStr takes OCTET
// STRING, Opaque and BITS; Oid, IpAddress, Counter32, Gauge32 and TimeTicks take
// exactly their own syntax.
class Vb {
public:
    Vb() = default;
    explicit Vb(const Oid& oid) : vbOid(oid) {}

    void set_oid(const Oid& oid) { vbOid = oid; }
    void set_oid(Oid&& oid) { vbOid = std::move(oid); }
    void get_oid(Oid& oid) const { oid = vbOid; }
    const Oid& get_oid() const { return vbOid; }
    // Dotted text of the identifier. Valid until this binding changes or is destroyed.
    const char* get_printable_oid() const { return vbOid.get_printable(); }

    // The value's syntax tag, or the exception (0x80..0x82) the binding carries.
    SmiUINT32 get_syntax() const { return syntax; }
    // Changes the syntax tag. Within the 32-bit integer syntaxes and within the
    // octet syntaxes (OCTET STRING, Opaque, BITS) the value is kept; otherwise the
    // binding gets an empty value of the new syntax.
    void set_syntax(SmiUINT32 newSyntax);
    void set_null();

    void set_value(int v);
    void set_value(long v);  // kept as a 32-bit INTEGER (low 32 bits)
    void set_value(unsigned int v);
    void set_value(unsigned long v);  // Gauge32 (low 32 bits)
    void set_value(const Counter32& v);
    void set_value(const Gauge32& v);
    void set_value(const TimeTicks& v);
    void set_value(const Counter64& v);
    void set_value(const OctetStr& v);
    void set_value(const char* text);                                // OCTET STRING of the bytes up to the zero byte
    void set_value(const unsigned char* raw, unsigned long length);  // OCTET STRING
    void set_value(const Oid& v);
    void set_value(const IpAddress& v);

    int get_value(int& v) const;
    int get_value(long& v) const;
    int get_value(unsigned int& v) const;
    int get_value(unsigned long& v) const;
    int get_value(Counter32& v) const;
    int get_value(Gauge32& v) const;
    int get_value(TimeTicks& v) const;
    int get_value(Counter64& v) const;
    int get_value(OctetStr& v) const;
    int get_value(Oid& v) const;
    int get_value(IpAddress& v) const;
    // Copies the octets into buf (at most maxlen bytes, a zero byte added when asked)
    // and sets length to the octets copied. Fails, copying nothing, when they do not fit.
    int get_value(unsigned char* buf, unsigned long& length, unsigned long maxlen, bool addNullByte = false) const;
    // The octets as zero-terminated text in a buffer of size bytes; fails when they
    // do not fit with the terminator.
    int get_value(char* buf, unsigned long size) const;

    // Marks the binding with noSuchObject, noSuchInstance or endOfMibView (0x80..0x82);
    // the value is dropped. Any other status makes the binding null.
    void set_exception_status(SmiUINT32 status);
    // The exception syntax the binding carries, or 0 when it carries a value.
    SmiUINT32 get_exception_status() const;

    // Text of the value: empty for null, for the three exceptions and for an
    // empty octet string. Valid until this binding changes or is destroyed.
    const char* get_printable_value() const;
    // Whether that text is empty, without making it.
    bool printable_value_empty() const;

    // True when the identifier is valid and the value (if any) is well-formed.
    bool valid() const { return vbOid.valid() && valueValid; }
    void clear();

private:
    bool isInteger32Syntax() const;
    bool isOctetSyntax() const;
    void setNumber(SmiUINT32 newSyntax, unsigned long long v);

    Oid vbOid;
    SmiUINT32 syntax = sNMP_SYNTAX_NULL;
    unsigned long long number = 0;  // INTEGER is kept sign-extended
    OctetStr octets;                // octet syntaxes and IpAddress (four octets)
    Oid oidValue;
    bool valueValid = true;
    CPrintableText printable;
};
