#pragma once

#include "platform/Afx.h"
#include "snmplib/SnmpLib.h"

// The bytes of the text up to its first zero byte.
OctetStr OctetStrFromText(const CString& strText);

// Dotted-decimal text to an object identifier; the library does the parsing
// and the result is whatever it makes of the text.
Oid OidFromText(const CString& strText);
