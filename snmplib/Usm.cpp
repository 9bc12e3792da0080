#include "snmplib/Usm.h"

#include "snmplib/OctetStr.h"
#include "snmplib/netsnmp/NetSnmpEngine.h"

int usmAddUserName(const OctetStr& securityName, const OctetStr& userName, long authProtocol, long privProtocol,
                   const OctetStr& authPassword, const OctetStr& privPassword)
{
    CUsmCredentials credentials;
    credentials.userName = userName.to_string();
    credentials.authProtocol = authProtocol;
    credentials.privProtocol = privProtocol;
    credentials.authPassword = authPassword.to_string();
    credentials.privPassword = privPassword.to_string();
    return CNetSnmpEngine::Instance().AddUser(securityName.to_string(), credentials);
}

int usmAddUserName(const OctetStr& securityName, long authProtocol, long privProtocol, const OctetStr& authPassword,
                   const OctetStr& privPassword)
{
    return usmAddUserName(securityName, securityName, authProtocol, privProtocol, authPassword, privPassword);
}
