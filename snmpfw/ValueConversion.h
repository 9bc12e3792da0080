#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpVarDef.h"
#include "snmplib/SnmpLib.h"

// Display, number and octet forms shared by the conversions and the derived
// values.

// Two upper-case hexadecimal digits per octet, no separators.
CString OctetsToHexText(const unsigned char* octets, unsigned long count);
// The way back, as the library reads hexadecimal text.
OctetStr OctetsOfHexText(const CString& text);

// The eleven octets of a DateAndTime given in its text form.
OctetStr DateAndTimeOctets(const CString& text);

// Sub-identifiers first to first + count - 1 of oid as dotted decimal text.
CString DottedText(const Oid& oid, unsigned long first, unsigned long count);

// What "%lld" prints: the decimal digits, with a minus sign when negative.
CString DecimalText(long long value);

// The exact decimal digits of a Counter64, all 64 bits. The way back reads
// a number as strtoull does, a larger one giving 2^64 - 1; a negative number
// gives 0.
CString Counter64Text(const Counter64& value);
Counter64 Counter64FromText(const CString& text);

// Hundredths of a second, from the duration text that TimeTicks values are
// shown in ("1 day 0:00:00.00", "0:02:03.45") or from a plain number, read
// as UnsignedFromText reads it.
unsigned long TimeTicksFromText(const CString& text);

// An unsigned 32-bit number read as atol reads it; a number beyond the
// 32-bit range gives its nearest end instead of wrapping, and a negative one
// keeps its two's complement.
unsigned long UnsignedFromText(const CString& text);

// A double kept as eight octets, least significant first, or as two 32-bit
// halves.
double DoubleFromOctets(const unsigned char octets[8]);
void DoubleToOctets(double value, unsigned char octets[8]);
double DoubleFromHalves(unsigned long low, unsigned long high);
void DoubleToHalves(double value, unsigned long& low, unsigned long& high);

// The syntax codes the value conversions handle.
bool IsConvertibleSyntax(int syntax);
// Octet syntaxes shown as hexadecimal digits: bit string, octet string,
// opaque and MAC address.
bool IsHexSyntax(int syntax);
