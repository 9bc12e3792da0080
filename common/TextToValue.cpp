#include "common/TextToValue.h"

OctetStr OctetStrFromText(const CString& strText)
{
    OctetStr value;
    value = static_cast<const char*>(strText);
    return value;
}

Oid OidFromText(const CString& strText)
{
    Oid value;
    value = static_cast<const char*>(strText);
    return value;
}
