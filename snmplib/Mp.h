#pragma once

class Snmp;
class OctetStr;

// Starts SNMPv3 message processing with the local engine identifier and its
// boots counter. Call it once, before the first SNMPv3 request; without it
// the library starts with a generated engine identifier. Returns
// SNMPv3_MP_OK, or SNMPv3_MP_ERROR when processing had already been started
// with another identifier.
int mpInit(Snmp* session, const OctetStr& engineId, unsigned int engineBoots);

// Finishes message processing: every session still open is closed and the
// users made known with usmAddUserName are forgotten.
void mpFinish();
