#include "snmplib/netsnmp/NetSnmpErrors.h"

#include "snmplib/SnmpErrors.h"

namespace {

struct ErrorRow {
    int snmpError;
    int result;
};

const ErrorRow kErrorTable[] = {
    {SNMPERR_SUCCESS, SNMP_CLASS_SUCCESS},
    {SNMPERR_TIMEOUT, SNMP_CLASS_TIMEOUT},
    {SNMPERR_BAD_ADDRESS, SNMP_CLASS_INVALID_ADDRESS},
    {SNMPERR_BAD_LOCPORT, SNMP_CLASS_TL_FAILED},
    {SNMPERR_NO_SOCKET, SNMP_CLASS_TL_FAILED},
    {SNMPERR_BAD_SENDTO, SNMP_CLASS_TL_FAILED},
    {SNMPERR_BAD_RECVFROM, SNMP_CLASS_TL_FAILED},
    {SNMPERR_TOO_LONG, SNMP_CLASS_INVALID_PDU},
    {SNMPERR_BAD_ASN1_BUILD, SNMP_CLASS_INVALID_PDU},
    {SNMPERR_BAD_VERSION, SNMP_CLASS_INVALID_TARGET},
    {SNMPERR_MALLOC, SNMP_CLASS_RESOURCE_UNAVAIL},
    {SNMPERR_UNKNOWN_SEC_MODEL, SNMPv3_MP_UNSUPPORTED_SECURITY_MODEL},
    {SNMPERR_INVALID_MSG, SNMPv3_MP_INVALID_MESSAGE},
    {SNMPERR_BAD_CONTEXT, SNMPv3_MP_UNKNOWN_CONTEXT},
    {SNMPERR_BAD_PARSE, SNMPv3_MP_PARSE_ERROR},
    {SNMPERR_ASN_PARSE_ERR, SNMPv3_MP_PARSE_ERROR},
    {SNMPERR_UNKNOWN_ENG_ID, SNMPv3_USM_UNKNOWN_ENGINEID},
    {SNMPERR_USM_UNKNOWNENGINEID, SNMPv3_USM_UNKNOWN_ENGINEID},
    {SNMPERR_UNKNOWN_USER_NAME, SNMPv3_USM_UNKNOWN_SECURITY_NAME},
    {SNMPERR_USM_UNKNOWNSECURITYNAME, SNMPv3_USM_UNKNOWN_SECURITY_NAME},
    {SNMPERR_UNSUPPORTED_SEC_LEVEL, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
    {SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
    {SNMPERR_AUTHENTICATION_FAILURE, SNMPv3_USM_AUTHENTICATION_FAILURE},
    {SNMPERR_USM_AUTHENTICATIONFAILURE, SNMPv3_USM_AUTHENTICATION_ERROR},
    {SNMPERR_NOT_IN_TIME_WINDOW, SNMPv3_USM_NOT_IN_TIME_WINDOW},
    {SNMPERR_USM_NOTINTIMEWINDOW, SNMPv3_USM_NOT_IN_TIME_WINDOW},
    {SNMPERR_DECRYPTION_ERR, SNMPv3_USM_DECRYPTION_ERROR},
    {SNMPERR_USM_DECRYPTIONERROR, SNMPv3_USM_DECRYPTION_ERROR},
    {SNMPERR_USM_ENCRYPTIONERROR, SNMPv3_USM_ENCRYPTION_ERROR},
    {SNMPERR_USM_PARSEERROR, SNMPv3_USM_PARSE_ERROR},
    {SNMPERR_UNKNOWN_REPORT, SNMPv3_USM_ERROR},
    {SNMPERR_USM_GENERICERROR, SNMPv3_USM_ERROR},
};

struct ReportRow {
    oid prefix[10];
    size_t length;
    int result;
};

// Each row is the counter's identifier without the trailing ".0" instance.
const ReportRow kReportTable[] = {
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 1}, 10, SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL},
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 2}, 10, SNMPv3_USM_NOT_IN_TIME_WINDOW},
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 3}, 10, SNMPv3_USM_UNKNOWN_SECURITY_NAME},
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 4}, 10, SNMPv3_USM_UNKNOWN_ENGINEID},
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 5}, 10, SNMPv3_USM_AUTHENTICATION_FAILURE},
    {{1, 3, 6, 1, 6, 3, 15, 1, 1, 6}, 10, SNMPv3_USM_DECRYPTION_ERROR},
    {{1, 3, 6, 1, 6, 3, 11, 2, 1, 1}, 10, SNMPv3_MP_UNSUPPORTED_SECURITY_MODEL},
    {{1, 3, 6, 1, 6, 3, 11, 2, 1, 2}, 10, SNMPv3_MP_INVALID_MESSAGE},
    {{1, 3, 6, 1, 6, 3, 11, 2, 1, 3}, 10, SNMPv3_MP_UNKNOWN_PDU_HANDLERS},
    {{1, 3, 6, 1, 6, 3, 12, 1, 4}, 9, SNMPv3_MP_UNAVAILABLE_CONTEXT},
    {{1, 3, 6, 1, 6, 3, 12, 1, 5}, 9, SNMPv3_MP_UNKNOWN_CONTEXT},
};

bool StartsWith(const oid* name, size_t nameLength, const ReportRow& row)
{
    if (nameLength < row.length)
        return false;
    for (size_t i = 0; i < row.length; ++i)
        if (name[i] != row.prefix[i])
            return false;
    return true;
}

}  // namespace

int NetSnmpErrorToResult(int snmpError)
{
    for (const ErrorRow& row : kErrorTable)
        if (row.snmpError == snmpError)
            return row.result;
    return SNMP_CLASS_ERROR;
}

int NetSnmpReportToResult(const netsnmp_pdu* report)
{
    const netsnmp_variable_list* vb = report ? report->variables : nullptr;
    if (!vb || !vb->name)
        return SNMPv3_USM_ERROR;
    for (const ReportRow& row : kReportTable)
        if (StartsWith(vb->name, vb->name_length, row))
            return row.result;
    return SNMPv3_USM_ERROR;
}

int NetSnmpSessionError(void* handle)
{
    const int result = NetSnmpErrorToResult(snmp_sess_session(handle)->s_snmp_errno);
    return result == SNMP_CLASS_SUCCESS ? SNMP_CLASS_ERROR : result;
}
