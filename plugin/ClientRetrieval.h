#pragma once

#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"
#include "snmpfw/SnmpRequest.h"

// One client-list retrieval: a refresh write, then a walk of the client table
// one get-next per row, with the access point's band read for every row, and
// at the end of the table one report to the host callback. Every request is
// asynchronous, so that the retrievals of many access points overlap; one
// access point sees them in that order, one at a time.

// Starts the refresh write on the shared request object; the rest follows
// from its completion. Failures to start are thrown.
void StartClientRetrieval(const CString& address, DWORD context);

// The completions carry the retrieval's identifier (plugin/ClientWalks.h).

// Completion of the refresh write: a failure is reported, a success starts the walk.
void OnRefreshDone(CSnmpResult* result, CSnmpVarList* list, DWORD walk);

// Completion of every table step: a delivered row has the access point's
// band read for it; a failed step ends the retrieval in a report of the failure.
void OnClientRow(CSnmpResult* result, CSnmpVarList* row, DWORD walk);

// Completion of a band read (the empty band when it failed): collects the
// row's client, continues the walk, or reports at the end of the table.
void OnBandRead(CSnmpResult* result, CSnmpVarList* band, DWORD walk);

// Calls the stored host callback with one report. The record, the address
// copy and the array stay valid until the callback returns.
void ReportToHost(int status, const CString& message, const CString& address, int count, HostClientEntry** entries,
                  DWORD context);
