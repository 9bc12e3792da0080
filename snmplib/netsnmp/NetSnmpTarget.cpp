#include "snmplib/netsnmp/NetSnmpTarget.h"

#include "snmplib/SnmpErrors.h"

#include <cstring>

namespace {

u_char* CopyOctets(const OctetStr& octets)
{
    u_char* copy = static_cast<u_char*>(malloc(octets.len() ? octets.len() : 1));
    if (copy && octets.len())
        memcpy(copy, octets.data(), octets.len());
    return copy;
}

long NetSnmpVersion(snmp_version version)
{
    switch (version) {
    case version2c:
        return SNMP_VERSION_2c;
    case version3:
        return SNMP_VERSION_3;
    default:
        return SNMP_VERSION_1;
    }
}

int UserParams(const UTarget& target, const Pdu& pdu, const CNetSnmpUsers& users, CSessionParams* params)
{
    if (target.get_security_model() != SNMP_SECURITY_MODEL_USM)
        return SNMPv3_MP_UNSUPPORTED_SECURITY_MODEL;
    const int level = pdu.get_security_level();
    if (level < SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV || level > SNMP_SECURITY_LEVEL_AUTH_PRIV)
        return SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL;
    params->securityName = target.get_security_name().to_string();
    const CUsmCredentials* user = users.Find(params->securityName);
    if (!user)
        return SNMPv3_USM_UNKNOWN_SECURITY_NAME;
    params->credentials = *user;
    params->securityLevel = level;
    params->engineId = target.get_engine_id().to_string();
    return SNMP_CLASS_SUCCESS;
}

}  // namespace

int NetSnmpSessionParamsFor(const SnmpTarget& target, const Pdu& pdu, bool blocking, const CNetSnmpUsers& users,
                            CSessionParams* params)
{
    const UdpAddress& address = target.get_udp_address();
    if (!target.valid() || !address.valid())
        return SNMP_CLASS_INVALID_ADDRESS;
    memcpy(&params->address, address.data(), sizeof params->address);
    params->port = address.get_port();
    params->version = NetSnmpVersion(target.get_version());
    params->retries = target.get_retry();
    params->blocking = blocking;
    switch (target.get_type()) {
    case SnmpTarget::type_ctarget:
        return target.get_version() == version3 ? SNMP_CLASS_INVALID_TARGET : SNMP_CLASS_SUCCESS;
    case SnmpTarget::type_utarget:
        if (target.get_version() != version3)
            return SNMP_CLASS_INVALID_TARGET;
        return UserParams(static_cast<const UTarget&>(target), pdu, users, params);
    default:
        return SNMP_CLASS_INVALID_TARGET;
    }
}

void NetSnmpSetPduSecurity(const SnmpTarget& target, const Pdu& pdu, netsnmp_pdu* out)
{
    out->version = NetSnmpVersion(target.get_version());
    if (target.get_type() == SnmpTarget::type_ctarget) {
        const CTarget& community = static_cast<const CTarget&>(target);
        const OctetStr& text =
            out->command == SNMP_MSG_SET ? community.get_writecommunity() : community.get_readcommunity();
        out->community = CopyOctets(text);
        out->community_len = text.len();
        return;
    }
    out->securityModel = SNMP_SEC_MODEL_USM;
    out->securityLevel = pdu.get_security_level();
    if (pdu.get_context_name().len()) {
        out->contextName = reinterpret_cast<char*>(CopyOctets(pdu.get_context_name()));
        out->contextNameLen = pdu.get_context_name().len();
    }
    if (pdu.get_context_engine_id().len()) {
        out->contextEngineID = CopyOctets(pdu.get_context_engine_id());
        out->contextEngineIDLen = pdu.get_context_engine_id().len();
    }
}
