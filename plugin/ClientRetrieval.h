#pragma once

#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"
#include "snmpfw/SnmpRequest.h"

// One client-list retrieval: a refresh write, then a walk of the client table
// one get-next per row, with the access point's band read for every row, and
// at the end of the table one report to the host callback.

// Starts the refresh write on the shared request object; the rest follows
// from its completion. Failures to start are thrown.
void StartClientRetrieval(const CString& address, DWORD context);

// Completion of the refresh write: a failure is reported, a success starts the walk.
void OnRefreshDone(CSnmpResult* result, CSnmpVarList* list, DWORD context);

// Completion of every table step: collects the row's client, continues the
// walk, or reports at the end of the table.
void OnClientRow(CSnmpResult* result, CSnmpVarList* row, DWORD context);

// The access point's band as display text, read with a blocking get; the
// empty text when it cannot be read.
CString GetApBandText(const CString& address);

// Calls the stored host callback with one report. The record, the address
// copy and the array stay valid until the callback returns.
void ReportToHost(int status, const CString& message, const CString& address, int count, HostClientEntry** entries,
                  DWORD context);
