#include "snmplib/Usm.h"

#include "snmplib/NetSnmpEngine.h"
#include "snmplib/NetSnmpLibrary.h"
#include "snmplib/NetSnmpUsm.h"
#include "snmplib/OctetStr.h"
#include "snmplib/SnmpErrors.h"

int usmAddUserName(const OctetStr& securityName, const OctetStr& userName, long authProtocol, long privProtocol,
                   const OctetStr& authPassword, const OctetStr& privPassword)
{
    CUsmCredentials credentials;
    credentials.userName = userName.to_string();
    credentials.authProtocol = authProtocol;
    credentials.privProtocol = privProtocol;
    credentials.authPassword = authPassword.to_string();
    credentials.privPassword = privPassword.to_string();
    const std::string name = securityName.to_string();
    const CUsmCredentials* previous = UsmTableFind(name);
    const std::string previousUser = previous ? previous->userName : std::string();
    bool changed = false;
    const int result = UsmTableAdd(name, credentials, &changed);
    if (result != SNMPv3_USM_OK || !changed)
        return result;
    // Net-SNMP keeps the keys it localized with the old passwords and would
    // go on using them; sessions made for the old credentials go as well.
    NetSnmpRetireUser(name);
    if (NetSnmpLibraryRunning()) {
        UsmForgetLocalizedKeys(previousUser);
        UsmForgetLocalizedKeys(credentials.userName);
    }
    return SNMPv3_USM_OK;
}

int usmAddUserName(const OctetStr& securityName, long authProtocol, long privProtocol, const OctetStr& authPassword,
                   const OctetStr& privPassword)
{
    return usmAddUserName(securityName, securityName, authProtocol, privProtocol, authPassword, privPassword);
}
