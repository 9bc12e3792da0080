#include "common/SnmpStatus.h"

#include "common/QvCatalog.h"
#include "common/QvErrors.h"

namespace {

// The library reports success as 0, as its v3 message-processing "ok"
// (-1401) and as its user-based-security "ok" (1400).
bool IsSuccessStatus(int nStatus)
{
    return nStatus == 0 || nStatus == 1400 || nStatus == -1401;
}

void Set(int nCode, int nGroup, int nIndex, int& nOutCode, CString& strOutText)
{
    nOutCode = nCode;
    strOutText = QvGroupText(nGroup, nIndex);
}

}  // namespace

void TranslateSnmpStatus(int nStatus, int& nCode, CString& strText)
{
    if (IsSuccessStatus(nStatus))
        Set(QV_OK, QV_GROUP_FRAMEWORK, 0, nCode, strText);
    else if (nStatus >= 1401 && nStatus <= 1414)
        Set(1100 - nStatus, QV_GROUP_USM, nStatus - 1401, nCode, strText);
    else if (nStatus >= -1418 && nStatus <= -1402)
        Set(nStatus + 1201, QV_GROUP_SNMPV3, -1402 - nStatus, nCode, strText);
    else if (nStatus >= 1 && nStatus <= 18)
        Set(-100 - nStatus, QV_GROUP_PDU, nStatus - 1, nCode, strText);
    else if (nStatus >= -23 && nStatus <= -1)
        Set(nStatus - 400, QV_GROUP_SNMPCLASS, -1 - nStatus, nCode, strText);
    else
        Set(QV_ERR_UNKNOWN, QV_GROUP_FRAMEWORK, QV_CODE_BASE_FRAMEWORK - QV_ERR_UNKNOWN, nCode, strText);
}
