#pragma once

#include "snmplib/Pdu.h"
#include "snmplib/netsnmp/NetSnmp.h"

// Copies between the vocabulary's Pdu and Net-SNMP's PDU.

// A Net-SNMP PDU of the given command holding pdu's bindings: for a set the
// bindings carry their values, otherwise none. Null, with *result set, when a
// binding cannot be sent (no identifier).
netsnmp_pdu* NetSnmpMakePdu(const Pdu& pdu, int command, int* result);

// Puts a received PDU's bindings, error status, error index, request id and
// type into out. Values are read only within the lengths that arrived; a
// value that does not fit its type becomes null; an error status outside
// the protocol's 0..18 reads as a general error. SNMP_CLASS_INVALID_PDU, with
// out unchanged, when there are more bindings than a Pdu holds.
int NetSnmpReadPdu(const netsnmp_pdu& received, Pdu& out);
