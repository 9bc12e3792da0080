#pragma once

#include "snmplib/Pdu.h"
#include "snmplib/Target.h"
#include "snmplib/netsnmp/NetSnmp.h"
#include "snmplib/netsnmp/NetSnmpSession.h"
#include "snmplib/netsnmp/NetSnmpUsm.h"

// How a target and a PDU's security fields reach Net-SNMP: the session
// parameters (address, version, retries, SNMPv3 user) and the per-PDU fields
// (community, security level, context).

// Fills *params for target. SNMP_CLASS_SUCCESS, or why the target cannot be
// used: no valid address, a version its kind of target does not speak, an
// unknown SNMPv3 user or a security model or level other than the USM ones.
int NetSnmpSessionParamsFor(const SnmpTarget& target, const Pdu& pdu, bool blocking, const CNetSnmpUsers& users,
                            CSessionParams* params);

// Puts the community (read community for get and get-next, write community
// for set) or the SNMPv3 level and context into out.
void NetSnmpSetPduSecurity(const SnmpTarget& target, const Pdu& pdu, netsnmp_pdu* out);
