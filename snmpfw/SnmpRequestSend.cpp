#include "snmpfw/SnmpRequest.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "common/SnmpStatus.h"
#include "common/TextToValue.h"
#include "snmpfw/EventProcessorWnd.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"

#include <memory>
#include <utility>
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

// Both targets from params; returns the one to use.
SnmpTarget& FillTargets(const CSnmpTargetParams& params, CTarget& communityTarget, UTarget& userTarget)
{
    UdpAddress address(static_cast<const char*>(params.address));
    address.set_port(params.port);
    if (!address.valid())
        ThrowQVException(QV_ERR_INVALID_ADDRESS);
    userTarget = UTarget(address);
    communityTarget = CTarget(address);
    if (params.version == 3) {
        userTarget.set_version(version3);
        userTarget.set_retry(params.retries);
        userTarget.set_timeout(static_cast<unsigned long>(params.timeout));
        userTarget.set_security_model(params.securityModel);
        userTarget.set_security_name(OctetStrFromText(params.securityName));
        usmAddUserName(OctetStrFromText(params.securityName), params.authProtocol, params.privProtocol,
                       OctetStrFromText(params.authPassword), OctetStrFromText(params.privPassword));
        return userTarget;
    }
    communityTarget.set_version(static_cast<snmp_version>(params.version));
    communityTarget.set_retry(params.retries);
    communityTarget.set_timeout(static_cast<unsigned long>(params.timeout));
    communityTarget.set_readcommunity(OctetStrFromText(params.readCommunity));
    communityTarget.set_writecommunity(OctetStrFromText(params.writeCommunity));
    return communityTarget;
}

void SetPduSecurity(const CSnmpTargetParams& params, Pdu& pdu)
{
    pdu.set_security_level(params.securityLevel);
    pdu.set_context_name(OctetStrFromText(params.contextName));
    pdu.set_context_engine_id(OctetStrFromText(params.contextEngineId));
}

// The bindings of a fetch of list: its columns (first) or the instances
// last received.
void AddFetchBindings(bool first, CSnmpVarList& list, Pdu& pdu)
{
    for (int i = 0; i < list.count; ++i) {
        if (!list.IsReadable(i))
            continue;
        if (!first && (list.itemType == SVT_SV || list.itemType == MVT_SV))
            ThrowQVException(QV_ERR_GETNEXT_SINGLE_VALUE);
        SnmpVarItem* item = list.GetItem(i);
        Vb vb;
        if (first) {
            item->instance->Empty();
            vb.set_oid(OidFromText(ColumnOidText(list, i) + (list.itemType == SVT_SV ? ".0" : "")));
        } else {
            vb.set_oid(OidFromText(*item->instance));
        }
        pdu += std::move(vb);
    }
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
    return FillTargets(targetParams, communityTarget, userTarget);
}

void CSnmpRequest::BuildPdu(PduMode mode, Pdu& pdu)
{
    SetPduSecurity(targetParams, pdu);
    if (mode != PDU_SET) {
        AddFetchBindings(mode == PDU_FIRST_FETCH, varList, pdu);
        return;
    }
    for (int i = 0; i < varList.count; ++i) {
        if (!IsSentBySet(varList, i))
            continue;
        if (varList.itemType > MVT_UMV)
            ThrowQVException(QV_ERR_BAD_ITEM_TYPE);
        CString oid = ColumnOidText(varList, i);
        if (varList.itemType == SVT_SV)
            oid += ".0";
        else if (IsTableList(varList))
            oid += "." + MakeRowInstance();
        Vb vb;
        vb.set_oid(OidFromText(oid));
        vb.set_syntax(static_cast<SmiUINT32>(varList.GetItem(i)->syntax));
        TextToVb(i, vb);
        pdu += std::move(vb);
    }
}

bool CSnmpRequest::UsesGetNext(const CSnmpVarList& list) const
{
    return IsTableList(list) || (list.itemType == MVT_SV && useGetNext);
}

SnmpTarget& CSnmpRequest::PrepareFetch(BOOL first, CSnmpVarList& list, CTarget& communityTarget, UTarget& userTarget,
                                       Pdu& pdu)
{
    SnmpTarget& target = BuildTarget(communityTarget, userTarget);
    SetPduSecurity(targetParams, pdu);
    AddFetchBindings(first != FALSE, list, pdu);
    if (list.itemType > MVT_UMV)
        ThrowQVException(QV_ERR_BAD_ITEM_TYPE);
    return target;
}

BOOL CSnmpRequest::Get(BOOL first)
{
    if (!valid)
        return FALSE;
    if (first)
        ReopenColumns(varList);
    // Each round that is asked again has one column fewer.
    for (;;) {
        CTarget communityTarget;
        UTarget userTarget;
        Pdu pdu;
        SnmpTarget& target = PrepareFetch(first, varList, communityTarget, userTarget, pdu);
        Snmp& snmp = SessionSnmp();
        const int status = UsesGetNext(varList) ? snmp.get_next(pdu, target) : snmp.get(pdu, target);
        int code = 0;
        CString text;
        TranslateSnmpStatus(status, code, text);
        const bool columnEnd = IsTableList(varList) && code == QV_CODE_NO_SUCH_NAME;
        if (code != QV_OK && !columnEnd)
            ThrowQVException(code, text);
        switch (columnEnd ? EndColumn(pdu, varList) : ApplyRow(pdu, varList)) {
        case OUTCOME_ROW:
            return TRUE;
        case OUTCOME_ASK_AGAIN:
            continue;
        case OUTCOME_TABLE_ERROR:
            ThrowQVException(code, text);
        default:
            return FALSE;
        }
    }
}

void CSnmpRequest::AsyncGet(SnmpCompletionCallback callback, BOOL first, DWORD userData)
{
    if (valid)
        StartFetch(varList, false, callback, first, userData);
}

void CSnmpRequest::AsyncGet(CSnmpVarList&& list, SnmpCompletionCallback callback, BOOL first, DWORD userData)
{
    if (valid)
        StartFetch(list, true, callback, first, userData);
}

void CSnmpRequest::StartFetch(CSnmpVarList& list, bool take, SnmpCompletionCallback callback, BOOL first,
                              DWORD userData)
{
    if (first)
        ReopenColumns(list);
    CTarget communityTarget;
    UTarget userTarget;
    Pdu pdu;
    SnmpTarget& target = PrepareFetch(first, list, communityTarget, userTarget, pdu);
    // The context's list is the one sent, as the fetch has left it.
    Send(pdu, target,
         new CSnmpRequestContext{this,
                                 take ? std::move(list) : CSnmpVarList(list),
                                 true,
                                 callback,
                                 userData,
                                 false,
                                 {},
                                 targetParams,
                                 first != FALSE});
}

void CSnmpRequest::AskAgain(const CSnmpRequestContext& context)
{
    auto again = std::make_unique<CSnmpRequestContext>(context);
    CTarget communityTarget;
    UTarget userTarget;
    Pdu pdu;
    SnmpTarget& target = FillTargets(again->target, communityTarget, userTarget);
    SetPduSecurity(again->target, pdu);
    AddFetchBindings(again->first, again->list, pdu);
    Send(pdu, target, again.release());
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
    Send(pdu, target,
         new CSnmpRequestContext{this, varList, apply != FALSE, callback, userData, true, std::move(sent),
                                 targetParams});
}

void CSnmpRequest::Send(Pdu& pdu, SnmpTarget& target, CSnmpRequestContext* context)
{
    std::unique_ptr<CSnmpRequestContext> owned(context);
    Snmp& snmp = SessionSnmp();
    int status = SNMP_CLASS_SUCCESS;
    if (context->set)
        status = snmp.set(std::move(pdu), target, SnmpCallback, context);
    else if (UsesGetNext(context->list))
        status = snmp.get_next(std::move(pdu), target, SnmpCallback, context);
    else
        status = snmp.get(std::move(pdu), target, SnmpCallback, context);
    // A send that failed brings no callback: its context goes at once.
    ThrowIfFailed(status);
    pendingContexts.insert(owned.release());
    ++outstanding;
    CSnmpSession::GetEventProcessor().WatchNewDescriptors();
}
