#include "plugin/ClientRetrieval.h"

#include "common/QvException.h"
#include "plugin/ClientVarSet.h"
#include "plugin/PendingClients.h"
#include "plugin/PluginState.h"

#include <cstdlib>
#include <memory>

namespace {

// Value texts of the MAC column that hold no client.
bool IsClientMac(const CString& mac)
{
    return mac != kNotDoneText && !mac.IsEmpty() && mac != "000000000000";
}

void TargetStoredAgent(CSnmpRequest& request, const CString& address)
{
    request.targetParams.address = address;
    request.targetParams.port = StoredPortNumber();
    request.targetParams.readCommunity = ReadCommunity;
    request.targetParams.writeCommunity = WriteCommunity;
}

CClientRow RowTexts(const CSnmpVarList& row, const CString& band)
{
    auto text = [&row](int column) { return *row.GetItem(column)->value; };
    return {band,
            text(CLIENT_COLUMN_MAC),
            text(CLIENT_COLUMN_AUTHENTICATION),
            text(CLIENT_COLUMN_RSSI),
            text(CLIENT_COLUMN_POWERSAVE),
            text(CLIENT_COLUMN_SSIDINDEX)};
}

void ContinueWalk(const CString& address, const CSnmpVarList& row, DWORD context)
{
    if (SharedRequest == nullptr)
        return;
    SharedRequest->targetParams.address = address;
    SharedRequest->varList = row;
    // Once the module is unloading the request object is no longer valid:
    // a step still outstanding completes, and no further step starts.
    if (SharedRequest->valid)
        SharedRequest->AsyncGet(OnClientRow, FALSE, context);
}

// The end of the table: everything collected for the agent goes to the host.
void ReportCollected(const CSnmpResult& result, DWORD context)
{
    PendingClients* record = FindPendingClients(result.address);
    ReportToHost(0, result.message, result.address, record != nullptr ? record->count : 0,
                 record != nullptr ? record->entries : nullptr, context);
    if (record != nullptr) {
        DetachPendingClients(record);
        FreePendingClients(record);
    }
}

}  // namespace

void StartClientRetrieval(const CString& address, DWORD context)
{
    CSnmpVarList refresh(kRefreshDefinitions, MVT_SV, 0);
    *refresh.GetItem(0)->value = "1";
    TargetStoredAgent(*SharedRequest, address);
    SharedRequest->varList = refresh;
    SharedRequest->targetParams.timeout = RequestTimeout();
    SharedRequest->AsyncSet(OnRefreshDone, FALSE, CString(), nullptr, context);
}

void OnRefreshDone(CSnmpResult* result, CSnmpVarList*, DWORD context)
{
    if (result->code != 0) {
        ReportToHost(1, result->message, result->address, 0, nullptr, context);
        return;
    }
    if (SharedRequest == nullptr)
        return;
    try {
        TargetStoredAgent(*SharedRequest, result->address);
        SharedRequest->varList = CSnmpVarList(kClientTableDefinitions, MVT_UMV, 0);
        SharedRequest->AsyncGet(OnClientRow, TRUE, context);
    } catch (CQVException* e) {
        ReportToHost(1, e->GetText(), result->address, 0, nullptr, context);
        e->Delete();
    }
}

void OnClientRow(CSnmpResult* result, CSnmpVarList* row, DWORD context)
{
    const CString address = result->address;
    if (result->code != 0)
        return;
    const CString band = GetApBandText(address);
    if (row->count != CLIENT_COLUMN_COUNT)
        return;
    const CClientRow texts = RowTexts(*row, band);
    if (IsClientMac(texts.macAddress)) {
        CollectClient(*PendingClientsFor(address), texts);
        if (!result->done)
            ContinueWalk(address, *row, context);
        return;
    }
    if (!result->done)
        ContinueWalk(address, *row, context);
    else if (texts.macAddress == kNotDoneText)
        ReportCollected(*result, context);
}

CString GetApBandText(const CString& address)
{
    try {
        CSnmpRequest request;
        request.varList = CSnmpVarList(kApBandDefinitions, MVT_SV, 0);
        TargetStoredAgent(request, address);
        request.targetParams.timeout = RequestTimeout();
        request.Get(TRUE);
        return *request.varList.GetItem(0)->value;
    } catch (CQVException* e) {
        e->Delete();
        return CString();
    }
}

void ReportToHost(int status, const CString& message, const CString& address, int count, HostClientEntry** entries,
                  DWORD context)
{
    if (StoredHostCallback == nullptr)
        return;
    std::unique_ptr<char, decltype(&std::free)> addressCopy(_strdup(address), &std::free);
    HostResult report{};
    report.status = status;
    report.message = message;
    report.address = addressCopy.get();
    report.model = ModelName;
    StoredHostCallback(&report, count, entries, context);
}
