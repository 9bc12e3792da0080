#pragma once

#include "snmplib/NetSnmp.h"
#include "snmplib/Pdu.h"

// Copies between the vocabulary's Pdu and Net-SNMP's PDU.

// A Net-SNMP PDU of the given command holding pdu's bindings: for a set the
// bindings carry their values, otherwise none. Null, with *result set, when a
// binding cannot be sent (no identifier).
netsnmp_pdu* NetSnmpMakePdu(const Pdu& pdu, int command, int* result);

// Puts a received PDU's bindings, error status, error index, request id and
// type into out. Values are read only within the lengths that arrived; a
// value that does not fit its type becomes null.
void NetSnmpReadPdu(const netsnmp_pdu& received, Pdu& out);
