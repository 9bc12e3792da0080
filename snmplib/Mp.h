#pragma once

class Snmp;
class OctetStr;

// Starts SNMPv3 message processing with the local engine identifier and its
// boots counter; without it the library makes up an identifier when it first
// needs one. Returns SNMPv3_MP_OK, or SNMPv3_MP_ERROR when the library could
// not be started with the identifier.
int mpInit(Snmp* session, const OctetStr& engineId, unsigned int engineBoots);

// Finishes message processing: every outstanding request is completed with
// SNMP_CLASS_SESSION_DESTROYED (requests sent meanwhile are refused with it),
// every session is closed and the users made known with usmAddUserName are
// forgotten. The Snmp objects stay usable.
void mpFinish();
