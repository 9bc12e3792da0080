#pragma once

struct snmp_pdu;

// Prints one line on standard output for a request received: "request" when
// it is answered, "dropped" when not, then the command and the first OID,
// e.g. "request get-next 1.3.6.1.4.1...". The tests' scripted agent logs the
// same way.
void LogRequest(const snmp_pdu& pdu, bool admitted);
