#pragma once

#include "snmplib/netsnmp/NetSnmp.h"

// The one translation from Net-SNMP's outcomes to the library's result
// numbers (snmplib/SnmpErrors.h).
//
//   Net-SNMP                                   result
//   SNMPERR_SUCCESS                            SNMP_CLASS_SUCCESS
//   SNMPERR_TIMEOUT (-24)                      SNMP_CLASS_TIMEOUT
//   SNMPERR_BAD_ADDRESS (-3)                   SNMP_CLASS_INVALID_ADDRESS
//   SNMPERR_BAD_LOCPORT, _NO_SOCKET,
//     _BAD_SENDTO, _BAD_RECVFROM               SNMP_CLASS_TL_FAILED
//   SNMPERR_TOO_LONG (-5), _BAD_ASN1_BUILD     SNMP_CLASS_INVALID_PDU
//   SNMPERR_BAD_VERSION (-14)                  SNMP_CLASS_INVALID_TARGET
//   SNMPERR_MALLOC (-62)                       SNMP_CLASS_RESOURCE_UNAVAIL
//   SNMPERR_UNKNOWN_SEC_MODEL (-30)            SNMPv3_MP_UNSUPPORTED_SECURITY_MODEL
//   SNMPERR_INVALID_MSG (-31)                  SNMPv3_MP_INVALID_MESSAGE
//   SNMPERR_BAD_CONTEXT (-17)                  SNMPv3_MP_UNKNOWN_CONTEXT
//   SNMPERR_BAD_PARSE, _ASN_PARSE_ERR          SNMPv3_MP_PARSE_ERROR
//   SNMPERR_UNKNOWN_ENG_ID (-32), USM -48      SNMPv3_USM_UNKNOWN_ENGINEID
//   SNMPERR_UNKNOWN_USER_NAME (-33), USM -43   SNMPv3_USM_UNKNOWN_SECURITY_NAME
//   SNMPERR_UNSUPPORTED_SEC_LEVEL (-34), -44   SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL
//   SNMPERR_AUTHENTICATION_FAILURE (-35)       SNMPv3_USM_AUTHENTICATION_FAILURE
//   SNMPERR_USM_AUTHENTICATIONFAILURE (-46)    SNMPv3_USM_AUTHENTICATION_ERROR
//   SNMPERR_NOT_IN_TIME_WINDOW (-36), -49      SNMPv3_USM_NOT_IN_TIME_WINDOW
//   SNMPERR_DECRYPTION_ERR (-37), USM -50      SNMPv3_USM_DECRYPTION_ERROR
//   SNMPERR_USM_ENCRYPTIONERROR (-45)          SNMPv3_USM_ENCRYPTION_ERROR
//   SNMPERR_USM_PARSEERROR (-47)               SNMPv3_USM_PARSE_ERROR
//   SNMPERR_UNKNOWN_REPORT (-41), USM -42      SNMPv3_USM_ERROR
//   anything else                              SNMP_CLASS_ERROR
//
// Reports are told apart by their first binding's identifier, which is finer
// than the SNMPERR_* number Net-SNMP gives them:
//
//   usmStatsUnsupportedSecLevels  1.3.6.1.6.3.15.1.1.1   SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL
//   usmStatsNotInTimeWindows      1.3.6.1.6.3.15.1.1.2   SNMPv3_USM_NOT_IN_TIME_WINDOW
//   usmStatsUnknownUserNames      1.3.6.1.6.3.15.1.1.3   SNMPv3_USM_UNKNOWN_SECURITY_NAME
//   usmStatsUnknownEngineIDs      1.3.6.1.6.3.15.1.1.4   SNMPv3_USM_UNKNOWN_ENGINEID
//   usmStatsWrongDigests          1.3.6.1.6.3.15.1.1.5   SNMPv3_USM_AUTHENTICATION_FAILURE
//   usmStatsDecryptionErrors      1.3.6.1.6.3.15.1.1.6   SNMPv3_USM_DECRYPTION_ERROR
//   snmpUnknownSecurityModels     1.3.6.1.6.3.11.2.1.1   SNMPv3_MP_UNSUPPORTED_SECURITY_MODEL
//   snmpInvalidMsgs               1.3.6.1.6.3.11.2.1.2   SNMPv3_MP_INVALID_MESSAGE
//   snmpUnknownPDUHandlers        1.3.6.1.6.3.11.2.1.3   SNMPv3_MP_UNKNOWN_PDU_HANDLERS
//   snmpUnavailableContexts       1.3.6.1.6.3.12.1.4     SNMPv3_MP_UNAVAILABLE_CONTEXT
//   snmpUnknownContexts           1.3.6.1.6.3.12.1.5     SNMPv3_MP_UNKNOWN_CONTEXT
//   any other report              SNMPv3_USM_ERROR

// Result for a Net-SNMP error number (SNMPERR_*).
int NetSnmpErrorToResult(int snmpError);

// The result for the last error of a session; never success: the caller
// asks because something failed.
int NetSnmpSessionError(void* handle);

// Result for a received report PDU.
int NetSnmpReportToResult(const netsnmp_pdu* report);
