#pragma once

// SMI vocabulary of the SNMP library: syntax tags, PDU types and the numbering
// of versions, security models, levels and protocols. The values are the ones
// the framework stores and compares, so they must not change.

typedef unsigned long SmiUINT32;
typedef long SmiINT32;

// ASN.1 / SMI syntax tags of a variable binding's value.
#define sNMP_SYNTAX_INT 0x02
#define sNMP_SYNTAX_INT32 sNMP_SYNTAX_INT
#define sNMP_SYNTAX_BITS 0x03
#define sNMP_SYNTAX_OCTETS 0x04
#define sNMP_SYNTAX_NULL 0x05
#define sNMP_SYNTAX_OID 0x06
#define sNMP_SYNTAX_SEQUENCE 0x30
#define sNMP_SYNTAX_IPADDR 0x40
#define sNMP_SYNTAX_CNTR32 0x41
#define sNMP_SYNTAX_GAUGE32 0x42
#define sNMP_SYNTAX_UINT32 sNMP_SYNTAX_GAUGE32
#define sNMP_SYNTAX_TIMETICKS 0x43
#define sNMP_SYNTAX_OPAQUE 0x44
#define sNMP_SYNTAX_NSAPADDR 0x45
#define sNMP_SYNTAX_CNTR64 0x46

// SNMPv2 exception values carried in place of a value.
#define sNMP_SYNTAX_NOSUCHOBJECT 0x80
#define sNMP_SYNTAX_NOSUCHINSTANCE 0x81
#define sNMP_SYNTAX_ENDOFMIBVIEW 0x82

// PDU types (context-specific constructed tags).
#define sNMP_PDU_GET 0xA0
#define sNMP_PDU_GETNEXT 0xA1
#define sNMP_PDU_RESPONSE 0xA2
#define sNMP_PDU_SET 0xA3
#define sNMP_PDU_V1TRAP 0xA4
#define sNMP_PDU_GETBULK 0xA5
#define sNMP_PDU_INFORM 0xA6
#define sNMP_PDU_TRAP 0xA7
#define sNMP_PDU_REPORT 0xA8

// Largest sub-identifier an object identifier may hold (32 bits by SMI).
#define SMI_MAX_SUBID 4294967295UL

enum snmp_version { version1 = 0, version2c = 1, version3 = 3 };

#define SNMP_SECURITY_MODEL_ANY 0
#define SNMP_SECURITY_MODEL_V1 1
#define SNMP_SECURITY_MODEL_V2 2
#define SNMP_SECURITY_MODEL_USM 3

#define SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV 1
#define SNMP_SECURITY_LEVEL_AUTH_NOPRIV 2
#define SNMP_SECURITY_LEVEL_AUTH_PRIV 3

#define SNMP_AUTHPROTOCOL_NONE 1
#define SNMP_AUTHPROTOCOL_HMACMD5 2
#define SNMP_AUTHPROTOCOL_HMACSHA 3
#define SNMP_AUTHPROTOCOL_HMAC128SHA224 4
#define SNMP_AUTHPROTOCOL_HMAC192SHA256 5
#define SNMP_AUTHPROTOCOL_HMAC256SHA384 6
#define SNMP_AUTHPROTOCOL_HMAC384SHA512 7

#define SNMP_PRIVPROTOCOL_NONE 1
#define SNMP_PRIVPROTOCOL_DES 2
#define SNMP_PRIVPROTOCOL_3DESEDE 3
#define SNMP_PRIVPROTOCOL_IDEA 9
#define SNMP_PRIVPROTOCOL_AES128 19
#define SNMP_PRIVPROTOCOL_AES192 20
#define SNMP_PRIVPROTOCOL_AES256 21
