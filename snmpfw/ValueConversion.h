#pragma once

#include "platform/Afx.h"
#include "snmpfw/SnmpVarDef.h"
#include "snmplib/SnmpLib.h"

// Display and octet forms shared by the conversions and the derived values.

// Two upper-case hexadecimal digits per octet, no separators.
CString OctetsToHexText(const unsigned char* octets, unsigned long count);
// The way back, as the library reads hexadecimal text.
OctetStr OctetsOfHexText(const CString& text);

// The eleven octets of a DateAndTime given in its text form.
OctetStr DateAndTimeOctets(const CString& text);

// Hundredths of a second as "h:mm:ss.hh", "1 day h:mm:ss.hh" or
// "N days, h:mm:ss.hh".
CString DurationText(unsigned long hundredths);

// The decimal digits of a Counter64 after a round trip through a double,
// as the framework has always shown it (exact up to 2^53).
CString Counter64Text(const Counter64& value);
Counter64 Counter64FromDouble(double value);

// A double kept as eight octets, least significant first, or as two 32-bit
// halves.
double DoubleFromOctets(const unsigned char octets[8]);
void DoubleToOctets(double value, unsigned char octets[8]);
double DoubleFromHalves(unsigned long low, unsigned long high);
void DoubleToHalves(double value, unsigned long& low, unsigned long& high);

// Integers read from text as atol reads it, kept to their low 32 bits.
unsigned long UnsignedFromText(const CString& text);

// True for the syntax codes the value conversions handle.
bool IsConvertibleSyntax(int syntax);
