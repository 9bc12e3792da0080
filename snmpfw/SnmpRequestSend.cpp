#include "snmpfw/SnmpRequest.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/SnmpStatus.h"
#include "common/TextToValue.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"

#include <memory>
#include <vector>

namespace {

// How long the destructor waits for outstanding requests.
const DWORD kOutstandingWaitMs = 6000;

Snmp& SessionSnmp()
{
    Snmp* snmp = CSnmpSession::GetSnmp();
    if (snmp == nullptr)
        ThrowQVException(QV_ERR_CREATE_SESSION);
    return *snmp;
}

void ThrowIfFailed(int status)
{
    int code = 0;
    CString text;
    TranslateSnmpStatus(status, code, text);
    if (code != QV_OK)
        ThrowQVException(code, text);
}

}  // namespace

CSnmpRequest::CSnmpRequest()
    : useGetNext(FALSE), targetParams(CSnmpSession::GetDefaultTargetParams()), valid(TRUE), outstanding(0)
{
    targetParams.retries = 1;
}

CSnmpRequest::~CSnmpRequest()
{
    valid = FALSE;
    WaitForOutstanding();
    // What is still outstanding completes later without reaching this object.
    for (CSnmpRequestContext* context : pendingContexts)
        context->request = nullptr;
}

void CSnmpRequest::WaitForOutstanding()
{
    const DWORD deadline = GetTickCount() + kOutstandingWaitMs;
    CWinThread* app = AfxGetApp();
    CWinThread local;
    CWinThread& pump = app != nullptr ? *app : local;
    while (outstanding > 0 && static_cast<int>(deadline - GetTickCount()) > 0) {
        // A thread timer makes sure the wait for a message ends by the deadline.
        const UINT_PTR bound = ::SetTimer(nullptr, 0, deadline - GetTickCount(), nullptr);
        pump.PumpMessage();
        ::KillTimer(nullptr, bound);
    }
}

SnmpTarget& CSnmpRequest::BuildTarget(CTarget& communityTarget, UTarget& userTarget)
{
    UdpAddress address(static_cast<const char*>(targetParams.address));
    address.set_port(targetParams.port);
    if (!address.valid())
        ThrowQVException(QV_ERR_INVALID_ADDRESS);
    userTarget = UTarget(address);
    communityTarget = CTarget(address);
    if (targetParams.version == 3) {
        userTarget.set_version(version3);
        userTarget.set_retry(targetParams.retries);
        userTarget.set_timeout(static_cast<unsigned long>(targetParams.timeout));
        userTarget.set_security_model(targetParams.securityModel);
        userTarget.set_security_name(OctetStrFromText(targetParams.securityName));
        usmAddUserName(OctetStrFromText(targetParams.securityName), targetParams.authProtocol,
                       targetParams.privProtocol, OctetStrFromText(targetParams.authPassword),
                       OctetStrFromText(targetParams.privPassword));
        return userTarget;
    }
    communityTarget.set_version(static_cast<snmp_version>(targetParams.version));
    communityTarget.set_retry(targetParams.retries);
    communityTarget.set_timeout(static_cast<unsigned long>(targetParams.timeout));
    communityTarget.set_readcommunity(OctetStrFromText(targetParams.readCommunity));
    communityTarget.set_writecommunity(OctetStrFromText(targetParams.writeCommunity));
    return communityTarget;
}

void CSnmpRequest::BuildPdu(PduMode mode, Pdu& pdu)
{
    pdu.set_security_level(targetParams.securityLevel);
    pdu.set_context_name(OctetStrFromText(targetParams.contextName));
    pdu.set_context_engine_id(OctetStrFromText(targetParams.contextEngineId));
    for (int i = 0; i < varList.count; ++i) {
        SnmpVarItem* item = varList.GetItem(i);
        Vb vb;
        if (mode == PDU_SET) {
            if (!IsSentBySet(varList, i))
                continue;
            if (varList.itemType > MVT_UMV)
                ThrowQVException(QV_ERR_BAD_ITEM_TYPE);
            CString oid = ColumnOidText(varList, i);
            if (varList.itemType == SVT_SV)
                oid += ".0";
            else if (IsTableList(varList))
                oid += "." + MakeRowInstance();
            vb.set_oid(OidFromText(oid));
            vb.set_syntax(static_cast<SmiUINT32>(item->syntax));
            TextToVb(i, vb);
        } else {
            if (!varList.IsReadable(i))
                continue;
            if (mode == PDU_CONTINUATION && (varList.itemType == SVT_SV || varList.itemType == MVT_SV))
                ThrowQVException(QV_ERR_GETNEXT_SINGLE_VALUE);
            if (mode == PDU_FIRST_FETCH) {
                item->instance->Empty();
                vb.set_oid(OidFromText(ColumnOidText(varList, i) + (varList.itemType == SVT_SV ? ".0" : "")));
            } else {
                vb.set_oid(OidFromText(*item->instance));
            }
        }
        pdu += vb;
    }
}

bool CSnmpRequest::UsesGetNext() const
{
    return IsTableList(varList) || (varList.itemType == MVT_SV && useGetNext);
}

SnmpTarget& CSnmpRequest::PrepareFetch(BOOL first, CTarget& communityTarget, UTarget& userTarget, Pdu& pdu)
{
    SnmpTarget& target = BuildTarget(communityTarget, userTarget);
    BuildPdu(first ? PDU_FIRST_FETCH : PDU_CONTINUATION, pdu);
    if (varList.itemType > MVT_UMV)
        ThrowQVException(QV_ERR_BAD_ITEM_TYPE);
    return target;
}

BOOL CSnmpRequest::Get(BOOL first)
{
    if (!valid)
        return FALSE;
    CTarget communityTarget;
    UTarget userTarget;
    Pdu pdu;
    SnmpTarget& target = PrepareFetch(first, communityTarget, userTarget, pdu);
    Snmp& snmp = SessionSnmp();
    const int status = UsesGetNext() ? snmp.get_next(pdu, target) : snmp.get(pdu, target);
    int code = 0;
    CString text;
    TranslateSnmpStatus(status, code, text);
    if (code != QV_OK && !(IsTableList(varList) && code == QV_CODE_NO_SUCH_NAME))
        ThrowQVException(code, text);
    switch (ApplyRow(code, pdu, varList)) {
    case OUTCOME_ROW:
        return TRUE;
    case OUTCOME_TABLE_ERROR:
        ThrowQVException(code, text);
    default:
        return FALSE;
    }
}

void CSnmpRequest::AsyncGet(SnmpCompletionCallback callback, BOOL first, DWORD userData)
{
    if (!valid)
        return;
    CTarget communityTarget;
    UTarget userTarget;
    Pdu pdu;
    SnmpTarget& target = PrepareFetch(first, communityTarget, userTarget, pdu);
    Send(pdu, target, false, new CSnmpRequestContext{this, varList, true, callback, userData, false, {}});
}

void CSnmpRequest::AsyncSet(SnmpCompletionCallback callback, BOOL apply, const CString& indexList, CStringList* values,
                            DWORD userData)
{
    if (!valid)
        return;
    CTarget communityTarget;
    UTarget userTarget;
    Pdu pdu;
    std::vector<std::pair<int, CString>> sent;
    SnmpTarget& target = PrepareSet(indexList, values, communityTarget, userTarget, pdu, sent);
    Send(pdu, target, true,
         new CSnmpRequestContext{this, varList, apply != FALSE, callback, userData, true, std::move(sent)});
}

void CSnmpRequest::Send(Pdu& pdu, SnmpTarget& target, bool set, CSnmpRequestContext* context)
{
    std::unique_ptr<CSnmpRequestContext> owned(context);
    Snmp& snmp = SessionSnmp();
    int status = SNMP_CLASS_SUCCESS;
    if (set)
        status = snmp.set(pdu, target, SnmpCallback, context);
    else if (UsesGetNext())
        status = snmp.get_next(pdu, target, SnmpCallback, context);
    else
        status = snmp.get(pdu, target, SnmpCallback, context);
    // A send that failed brings no callback: its context goes at once.
    ThrowIfFailed(status);
    pendingContexts.insert(owned.release());
    ++outstanding;
}
