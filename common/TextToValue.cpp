#include "common/TextToValue.h"

OctetStr OctetStrFromText(CString strText)
{
    OctetStr value;
    value = static_cast<const char*>(strText);
    return value;
}

Oid OidFromText(CString strText)
{
    Oid value;
    value = static_cast<const char*>(strText);
    return value;
}
