#pragma once

#include "platform/Afx.h"

// Turns an SNMP library result, or an agent's error status, into the
// framework's code and catalogue text. Both outputs are always written; a
// status outside every known range becomes the "unknown error code" entry.
void TranslateSnmpStatus(int nStatus, int& nCode, CString& strText);
