#include "snmpfw/Keywords.h"

#include "snmpfw/SnmpVarDef.h"

const OptionPair kItemTypeKeywordTable[] = {
    {SVT_SV, "SVT_SV"}, {MVT_SV, "MVT_SV"}, {MVT_FMV, "MVT_FMV"}, {MVT_UMV, "MVT_UMV"}, {0, nullptr},
};

const OptionPair kSyntaxKeywordTable[] = {
    {SYNTAX_INTEGER, "integer"},
    {SYNTAX_BITSTR, "bitstr"},
    {SYNTAX_OCTETSTR, "octetstr"},
    {SYNTAX_NULL, "null"},
    {SYNTAX_OBJECTID, "objectid"},
    {SYNTAX_IPADDRESS, "ipaddress"},
    {SYNTAX_COUNTER, "counter"},
    {SYNTAX_GUAGE, "guage"},
    {SYNTAX_TIMETICKS, "timeticks"},
    {SYNTAX_OPAQUE, "opaque"},
    {SYNTAX_COUNTER64, "counter64"},
    {SYNTAX_BOOLEAN, "boolean"},
    {SYNTAX_NSAPADDR, "nsapaddr"},
    {SYNTAX_UINTEGER, "uinteger"},
    {SYNTAX_DOUBLE, "double"},
    {SYNTAX_MACADDRESS, "macaddress"},
    {SYNTAX_DATETIME, "datetime"},
    {SYNTAX_BCDATETIME, "bcdatetime"},
    {SYNTAX_DISPLAYSTR, "displaystr"},
    {SYNTAX_BOOL8, "bool8"},
    {SYNTAX_INT8, "int8"},
    {SYNTAX_UINT8, "uint8"},
    {SYNTAX_BOOL16, "bool16"},
    {SYNTAX_INT16, "int16"},
    {SYNTAX_UINT16, "uint16"},
    {0, nullptr},
};

const OptionPair kAccessKeywordTable[] = {
    {ACCESS_NOTACCESS, "notaccess"}, {ACCESS_READONLY, "readonly"},
    {ACCESS_WRITEONLY, "writeonly"}, {ACCESS_READWRITE, "readwrite"},
    {ACCESS_DERIVED, "derived"},     {ACCESS_HIDDEN, "hidden"},
    {ACCESS_INVALID, "invalid"},     {0, nullptr},
};

COptionList ItemTypeKeywords(kItemTypeKeywordTable, COptionList::KIND_INTEGER, false);
COptionList SyntaxKeywords(kSyntaxKeywordTable, COptionList::KIND_INTEGER, false);
COptionList AccessKeywords(kAccessKeywordTable, COptionList::KIND_INTEGER, false);
