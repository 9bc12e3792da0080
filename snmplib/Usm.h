#pragma once

class OctetStr;

// Makes an SNMPv3 user known to later requests whose target names
// securityName. userName is the name sent to the agent. Protocols use the
// SNMP_AUTHPROTOCOL_* / SNMP_PRIVPROTOCOL_* numbers. Giving a known user other
// protocols or passwords takes effect for its next request; requests already
// sent finish with the keys they were sent with. Returns
// SNMPv3_USM_OK, SNMPv3_USM_UNSUPPORTED_AUTHPROTOCOL,
// SNMPv3_USM_UNSUPPORTED_PRIVPROTOCOL or SNMPv3_USM_ERROR (empty name).
int usmAddUserName(const OctetStr& securityName, const OctetStr& userName, long authProtocol, long privProtocol,
                   const OctetStr& authPassword, const OctetStr& privPassword);

// The same, with the user name equal to the security name.
int usmAddUserName(const OctetStr& securityName, long authProtocol, long privProtocol, const OctetStr& authPassword,
                   const OctetStr& privPassword);
