#include "plugin/ClientRetrieval.h"

#include "common/QvErrors.h"
#include "common/QvException.h"
#include "plugin/ClientVarSet.h"
#include "plugin/ClientWalks.h"
#include "plugin/PendingClients.h"
#include "plugin/PluginState.h"

#include <cstdlib>
#include <memory>
#include <utility>

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

// A step that cannot be started ends the walk without a report, as a failed
// step does. Once the module is unloading the request object is no longer
// valid: a request still outstanding completes, and no further one starts.
void ContinueWalk(DWORD walk, CClientWalk& record)
{
    if (SharedRequest == nullptr || !SharedRequest->valid) {
        RemoveClientWalk(walk);
        return;
    }
    SharedRequest->targetParams.address = record.step.address;
    SharedRequest->varList = std::move(record.row);
    try {
        SharedRequest->AsyncGet(OnClientRow, FALSE, walk);
    } catch (CQVException* e) {
        e->Delete();
        RemoveClientWalk(walk);
    }
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

// The delivered row, with the band read for it: its client is collected,
// then the walk goes on, or the table has ended and the clients are reported.
void FinishRow(DWORD walk, const CString& band)
{
    CClientWalk* record = FindClientWalk(walk);
    if (record == nullptr)
        return;
    if (record->row.count != CLIENT_COLUMN_COUNT) {
        RemoveClientWalk(walk);
        return;
    }
    const CClientRow texts = RowTexts(record->row, band);
    if (IsClientMac(texts.macAddress) && !record->repeated)
        CollectClient(*PendingClientsFor(record->step.address), texts);
    if (!record->step.done) {
        ContinueWalk(walk, *record);
        return;
    }
    const CSnmpResult step = record->step;
    const DWORD context = record->context;
    RemoveClientWalk(walk);
    ReportCollected(step, context);
}

// Starts the band read of the walk's row on the shared request object. The
// read takes the object's target for itself only: the walks' steps go on with
// the target as it was. A read that cannot start is a failed one.
void StartBandRead(DWORD walk, const CString& address)
{
    if (SharedRequest == nullptr || !SharedRequest->valid) {
        FinishRow(walk, CString());
        return;
    }
    const CSnmpTargetParams walkTarget = SharedRequest->targetParams;
    SharedRequest->varList = CSnmpVarList(kApBandDefinitions, MVT_SV, 0);
    TargetStoredAgent(*SharedRequest, address);
    SharedRequest->targetParams.timeout = RequestTimeout();
    bool started = true;
    try {
        SharedRequest->AsyncGet(OnBandRead, TRUE, walk);
    } catch (CQVException* e) {
        e->Delete();
        started = false;
    }
    SharedRequest->targetParams = walkTarget;
    if (!started)
        FinishRow(walk, CString());
}

}  // namespace

void StartClientRetrieval(const CString& address, DWORD context)
{
    // A module mapped by plain dlopen has not been started: no session, no
    // request object.
    if (SharedRequest == nullptr)
        ThrowQVException(QV_ERR_CREATE_SESSION);
    CSnmpVarList refresh(kRefreshDefinitions, MVT_SV, 0);
    // The number of the option "get": a text the option list does not hold
    // goes out as it stands.
    *refresh.GetItem(0)->value = "1";
    TargetStoredAgent(*SharedRequest, address);
    SharedRequest->varList = refresh;
    SharedRequest->targetParams.timeout = RequestTimeout();
    const DWORD walk = AddClientWalk(context);
    try {
        SharedRequest->AsyncSet(OnRefreshDone, FALSE, CString(), nullptr, walk);
    } catch (CQVException*) {
        RemoveClientWalk(walk);
        throw;
    }
}

void OnRefreshDone(CSnmpResult* result, CSnmpVarList*, DWORD walk)
{
    const CClientWalk* record = FindClientWalk(walk);
    if (record == nullptr)
        return;
    const DWORD context = record->context;
    if (result->code != 0) {
        RemoveClientWalk(walk);
        ReportToHost(1, result->message, result->address, 0, nullptr, context);
        return;
    }
    if (SharedRequest == nullptr || !SharedRequest->valid) {
        RemoveClientWalk(walk);
        return;
    }
    try {
        TargetStoredAgent(*SharedRequest, result->address);
        SharedRequest->varList = CSnmpVarList(kClientTableDefinitions, MVT_UMV, 0);
        SharedRequest->AsyncGet(OnClientRow, TRUE, walk);
    } catch (CQVException* e) {
        RemoveClientWalk(walk);
        ReportToHost(1, e->GetText(), result->address, 0, nullptr, context);
        e->Delete();
    }
}

void OnClientRow(CSnmpResult* result, CSnmpVarList* row, DWORD walk)
{
    CClientWalk* record = FindClientWalk(walk);
    if (record == nullptr)
        return;
    if (result->code != 0 || (!result->done && ++record->rows > kMaxClientRows)) {
        RemoveClientWalk(walk);
        return;
    }
    record->step = *result;
    const CString macCell = row->count > CLIENT_COLUMN_MAC ? *row->GetItem(CLIENT_COLUMN_MAC)->instance : CString();
    record->repeated = result->done && macCell == record->lastMacCell;
    record->lastMacCell = macCell;
    // The engine's list goes when this returns: the walk takes its items.
    record->row = std::move(*row);
    StartBandRead(walk, result->address);
}

void OnBandRead(CSnmpResult* result, CSnmpVarList* band, DWORD walk)
{
    const bool read = result->code == 0 && band->count > 0;
    FinishRow(walk, read ? *band->GetItem(0)->value : CString());
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
