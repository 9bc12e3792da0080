#include "plugin/ClientRetrieval.h"

#include "common/QvCatalog.h"
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

// Value texts of the MAC column that hold no client (the walk's marker of an
// ended column is shown as the empty text).
bool IsClientMac(const CString& mac)
{
    return !mac.IsEmpty() && mac != "000000000000";
}

// A cell without a value is empty in a report, whether its column has no
// cell in this row or has run past the end of the table.
CString CellText(const CSnmpVarList& row, int column)
{
    const CString& text = *row.GetItem(column)->value;
    return text == kNotDoneText ? CString() : text;
}

CClientRow RowTexts(const CSnmpVarList& row, const CString& band)
{
    return {band,
            CellText(row, CLIENT_COLUMN_MAC),
            CellText(row, CLIENT_COLUMN_AUTHENTICATION),
            CellText(row, CLIENT_COLUMN_RSSI),
            CellText(row, CLIENT_COLUMN_POWERSAVE),
            CellText(row, CLIENT_COLUMN_SSIDINDEX)};
}

bool SharedRequestRuns()
{
    return SharedRequest != nullptr && SharedRequest->valid;
}

// A walk that cannot go on ends in one report of why, without clients, and
// what was collected for the address goes with it: the next retrieval starts
// from nothing instead of reporting clients that may have left since. While
// another walk of the address collects into the same record, that walk's
// report takes it.
void FailWalk(DWORD walk, const CString& message)
{
    const CClientWalk* record = FindClientWalk(walk);
    if (record == nullptr)
        return;
    const DWORD context = record->context;
    const CString address = record->target.address;
    RemoveClientWalk(walk);
    PendingClients* collected = IsWalkingAddress(address) ? nullptr : FindPendingClients(address);
    if (collected != nullptr) {
        DetachPendingClients(collected);
        FreePendingClients(collected);
    }
    ReportToHost(1, message, address, 0, nullptr, context);
}

// Once the module is unloading the request object is no longer valid: a
// request still outstanding completes, and no further one starts.
void ContinueWalk(DWORD walk, CClientWalk& record)
{
    if (!SharedRequestRuns()) {
        RemoveClientWalk(walk);
        return;
    }
    SharedRequest->targetParams = record.target;
    try {
        // The step takes the row: no copy of it.
        SharedRequest->AsyncGet(std::move(record.row), OnClientRow, FALSE, walk);
    } catch (CQVException* e) {
        FailWalk(walk, e->GetText());
        e->Delete();
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
        FailWalk(walk, QvErrorText(QV_ERR_UNKNOWN));
        return;
    }
    const CClientRow texts = RowTexts(record->row, band);
    if (IsClientMac(texts.macAddress))
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

// Starts the band read of the walk's row on the shared request object, with
// the retrieval's own target. A read that cannot start is a failed one.
void StartBandRead(DWORD walk, const CClientWalk& record)
{
    if (!SharedRequestRuns()) {
        FinishRow(walk, CString());
        return;
    }
    SharedRequest->targetParams = record.target;
    try {
        SharedRequest->AsyncGet(CSnmpVarList(kApBandDefinitions, MVT_SV, 0), OnBandRead, TRUE, walk);
    } catch (CQVException* e) {
        e->Delete();
        FinishRow(walk, CString());
    }
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
    // What the object holds besides (version, retries, SNMPv3) is the
    // session's defaults, which nothing changes.
    CSnmpTargetParams target = SharedRequest->targetParams;
    target.address = address;
    target.port = StoredPortNumber();
    target.readCommunity = ReadCommunity;
    target.writeCommunity = WriteCommunity;
    target.timeout = RequestTimeout();
    SharedRequest->targetParams = target;
    SharedRequest->varList = refresh;
    const DWORD walk = AddClientWalk(context, target);
    try {
        SharedRequest->AsyncSet(OnRefreshDone, FALSE, CString(), nullptr, walk);
    } catch (CQVException*) {
        RemoveClientWalk(walk);
        throw;
    }
}

void OnRefreshDone(CSnmpResult* result, CSnmpVarList*, DWORD walk)
{
    CClientWalk* record = FindClientWalk(walk);
    if (record == nullptr)
        return;
    const DWORD context = record->context;
    if (result->code != 0) {
        RemoveClientWalk(walk);
        ReportToHost(1, result->message, result->address, 0, nullptr, context);
        return;
    }
    if (!SharedRequestRuns()) {
        RemoveClientWalk(walk);
        return;
    }
    record->target.address = result->address;
    try {
        SharedRequest->targetParams = record->target;
        SharedRequest->AsyncGet(CSnmpVarList(kClientTableDefinitions, MVT_UMV, 0), OnClientRow, TRUE, walk);
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
    if (result->code != 0) {
        FailWalk(walk, result->message);
        return;
    }
    if (!result->done && ++record->rows > kMaxClientRows) {
        FailWalk(walk, QvErrorText(QV_ERR_TOO_MANY_ROWS));
        return;
    }
    record->step = *result;
    // The engine's list goes when this returns: the walk takes its items.
    record->row = std::move(*row);
    StartBandRead(walk, *record);
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
