#pragma once

#include "platform/Afx.h"

class COptionList;

// Syntax codes. The standard SMI types carry their ASN.1 tags; the others
// are the framework's own and are carried on the wire as noted.
enum {
    SYNTAX_BOOLEAN = 1,  // INTEGER 1 or 0
    SYNTAX_INTEGER = 2,
    SYNTAX_BITSTR = 3,  // OCTET STRING
    SYNTAX_OCTETSTR = 4,
    SYNTAX_NULL = 5,
    SYNTAX_OBJECTID = 6,
    SYNTAX_IPADDRESS = 64,
    SYNTAX_COUNTER = 65,
    SYNTAX_GUAGE = 66,
    SYNTAX_TIMETICKS = 67,
    SYNTAX_OPAQUE = 68,
    SYNTAX_NSAPADDR = 69,  // IpAddress
    SYNTAX_COUNTER64 = 70,
    SYNTAX_UINTEGER = 71,    // unsigned 32-bit
    SYNTAX_DOUBLE = 72,      // OCTET STRING, 8 octets, IEEE-754, least significant first
    SYNTAX_MACADDRESS = 73,  // OCTET STRING, 6 octets
    SYNTAX_DATETIME = 74,    // DateAndTime, 8 or 11 octets
    SYNTAX_BCDATETIME = 75,  // OCTET STRING, 8 octets, a day count as double
    SYNTAX_DISPLAYSTR = 76,  // OCTET STRING shown as characters
    // Partial data: only the expression substitution knows these.
    SYNTAX_BOOL8 = 193,
    SYNTAX_INT8 = 194,
    SYNTAX_UINT8 = 195,
    SYNTAX_BOOL16 = 196,
    SYNTAX_INT16 = 197,
    SYNTAX_UINT16 = 198
};

// Access flag bits.
enum {
    ACCESS_NOTACCESS = 1,
    ACCESS_READONLY = 2,   // readable bit
    ACCESS_WRITEONLY = 4,  // settable bit
    ACCESS_READWRITE = 6,
    ACCESS_DERIVED = 8,
    ACCESS_HIDDEN = 16,
    ACCESS_INVALID = 32,  // neither readable nor settable, whatever else is set
    ACCESS_IMPLIED = 64,  // last index column encoded without a length (IMPLIED)
    // A table column whose walk has ended before the others: the agent had no
    // object after it (SNMPv1 noSuchName). Not read again until the walk
    // starts over.
    ACCESS_ENDED = 128
};

// Item types of a variable list.
enum {
    SVT_SV = 0,   // single instance, always get
    MVT_SV = 1,   // single instance, get or get-next on request
    MVT_FMV = 2,  // table: the first keyCount items are the index columns
    MVT_UMV = 3   // table, read as MVT_FMV
};

// A value text that says the variable has no value: the agent answered with
// a null or empty value, or the value is to be sent as null.
inline const char* const kNullValueText = "(NULL)";

// Constant definition of one SNMP variable. Tables of definitions end with a
// record whose fields are all zero; only oid is tested.
struct CSnmpVarDef {
    const char* oid;  // dotted decimal; a column's OID carries no instance
    const char* name;
    int syntax;
    int access;
    COptionList* options;  // shared, not owned; must outlive every item made from it
    const char* getExpression;
    const char* setExpression;
    const char* auxText;      // carried into items, never interpreted
    const CString* value;     // initial value text, or null for empty
    const CString* instance;  // initial instance text, or null for empty
};
