#include "snmplib/NetSnmpUsm.h"

#include "snmplib/SmiSyntax.h"
#include "snmplib/SnmpErrors.h"

#include <cstring>
#include <map>

namespace {

struct ProtocolRow {
    long number;
    const oid* protocol;
    size_t length;
};

const ProtocolRow kAuthProtocols[] = {
    {SNMP_AUTHPROTOCOL_NONE, usmNoAuthProtocol, OID_LENGTH(usmNoAuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMACMD5, usmHMACMD5AuthProtocol, OID_LENGTH(usmHMACMD5AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMACSHA, usmHMACSHA1AuthProtocol, OID_LENGTH(usmHMACSHA1AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC128SHA224, usmHMAC128SHA224AuthProtocol, OID_LENGTH(usmHMAC128SHA224AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC192SHA256, usmHMAC192SHA256AuthProtocol, OID_LENGTH(usmHMAC192SHA256AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC256SHA384, usmHMAC256SHA384AuthProtocol, OID_LENGTH(usmHMAC256SHA384AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC384SHA512, usmHMAC384SHA512AuthProtocol, OID_LENGTH(usmHMAC384SHA512AuthProtocol)},
};

const ProtocolRow kPrivProtocols[] = {
    {SNMP_PRIVPROTOCOL_NONE, usmNoPrivProtocol, OID_LENGTH(usmNoPrivProtocol)},
    {SNMP_PRIVPROTOCOL_DES, usmDESPrivProtocol, OID_LENGTH(usmDESPrivProtocol)},
    {SNMP_PRIVPROTOCOL_AES128, usmAESPrivProtocol, OID_LENGTH(usmAESPrivProtocol)},
    {SNMP_PRIVPROTOCOL_AES192, usmAES192PrivProtocol, OID_LENGTH(usmAES192PrivProtocol)},
    {SNMP_PRIVPROTOCOL_AES256, usmAES256PrivProtocol, OID_LENGTH(usmAES256PrivProtocol)},
};

// Net-SNMP refuses to derive a key from a shorter passphrase.
const size_t kMinimumPassword = 8;

std::map<std::string, CUsmCredentials>& Table()
{
    static std::map<std::string, CUsmCredentials> table;
    return table;
}

template <size_t N>
const ProtocolRow* FindProtocol(const ProtocolRow (&rows)[N], long number)
{
    for (const ProtocolRow& row : rows)
        if (row.number == number)
            return &row;
    return nullptr;
}

int CheckLevel(const CUsmCredentials& user, int securityLevel)
{
    if (securityLevel >= SNMP_SECURITY_LEVEL_AUTH_NOPRIV && user.authProtocol == SNMP_AUTHPROTOCOL_NONE)
        return SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL;
    if (securityLevel >= SNMP_SECURITY_LEVEL_AUTH_PRIV && user.privProtocol == SNMP_PRIVPROTOCOL_NONE)
        return SNMPv3_USM_UNSUPPORTED_SECURITY_LEVEL;
    if (securityLevel >= SNMP_SECURITY_LEVEL_AUTH_NOPRIV && user.authPassword.size() < kMinimumPassword)
        return SNMPv3_USM_AUTHENTICATION_ERROR;
    if (securityLevel >= SNMP_SECURITY_LEVEL_AUTH_PRIV && user.privPassword.size() < kMinimumPassword)
        return SNMPv3_USM_ENCRYPTION_ERROR;
    return SNMPv3_USM_OK;
}

// The privacy key is derived with the authentication hash, as the USM rules say.
bool DeriveKey(const ProtocolRow& auth, const std::string& password, u_char* key, size_t* keyLength)
{
    return generate_Ku(auth.protocol, static_cast<u_int>(auth.length), reinterpret_cast<const u_char*>(password.data()),
                       password.size(), key, keyLength) == SNMPERR_SUCCESS;
}

}  // namespace

bool CUsmCredentials::operator==(const CUsmCredentials& other) const
{
    return userName == other.userName && authProtocol == other.authProtocol && privProtocol == other.privProtocol &&
           authPassword == other.authPassword && privPassword == other.privPassword;
}

int UsmTableAdd(const std::string& securityName, const CUsmCredentials& credentials, bool* changed)
{
    *changed = false;
    if (securityName.empty())
        return SNMPv3_USM_ERROR;
    if (!FindProtocol(kAuthProtocols, credentials.authProtocol))
        return SNMPv3_USM_UNSUPPORTED_AUTHPROTOCOL;
    if (!FindProtocol(kPrivProtocols, credentials.privProtocol))
        return SNMPv3_USM_UNSUPPORTED_PRIVPROTOCOL;
    auto found = Table().find(securityName);
    if (found != Table().end() && found->second == credentials)
        return SNMPv3_USM_OK;
    *changed = found != Table().end();
    Table()[securityName] = credentials;
    return SNMPv3_USM_OK;
}

const CUsmCredentials* UsmTableFind(const std::string& securityName)
{
    auto found = Table().find(securityName);
    return found == Table().end() ? nullptr : &found->second;
}

void UsmTableClear()
{
    Table().clear();
}

void UsmForgetLocalizedKeys(const std::string& userName)
{
    struct usmUser* user = usm_get_userList();
    while (user) {
        struct usmUser* next = user->next;
        if (user->name && userName == user->name) {
            usm_remove_user(user);
            usm_free_user(user);
        }
        user = next;
    }
}

int UsmFillSession(netsnmp_session& session, const CUsmCredentials& credentials, int securityLevel)
{
    const int levelCheck = CheckLevel(credentials, securityLevel);
    if (levelCheck != SNMPv3_USM_OK)
        return levelCheck;
    const ProtocolRow* auth = FindProtocol(kAuthProtocols, credentials.authProtocol);
    const ProtocolRow* priv = FindProtocol(kPrivProtocols, credentials.privProtocol);
    if (!auth)
        return SNMPv3_USM_UNSUPPORTED_AUTHPROTOCOL;
    if (!priv)
        return SNMPv3_USM_UNSUPPORTED_PRIVPROTOCOL;
    session.securityModel = SNMP_SEC_MODEL_USM;
    session.securityLevel = securityLevel;
    session.securityAuthProto = const_cast<oid*>(auth->protocol);
    session.securityAuthProtoLen = auth->length;
    session.securityPrivProto = const_cast<oid*>(priv->protocol);
    session.securityPrivProtoLen = priv->length;
    // Keys are derived whenever the passwords allow, not only for this level:
    // Net-SNMP shares one localized user per engine among all sessions of
    // that user, whatever level each of them asks for.
    const bool hasAuth =
        credentials.authProtocol != SNMP_AUTHPROTOCOL_NONE && credentials.authPassword.size() >= kMinimumPassword;
    if (hasAuth) {
        session.securityAuthKeyLen = USM_AUTH_KU_LEN;
        if (!DeriveKey(*auth, credentials.authPassword, session.securityAuthKey, &session.securityAuthKeyLen))
            return SNMPv3_USM_AUTHENTICATION_ERROR;
    }
    if (hasAuth && credentials.privProtocol != SNMP_PRIVPROTOCOL_NONE &&
        credentials.privPassword.size() >= kMinimumPassword) {
        session.securityPrivKeyLen = USM_PRIV_KU_LEN;
        if (!DeriveKey(*auth, credentials.privPassword, session.securityPrivKey, &session.securityPrivKeyLen))
            return SNMPv3_USM_ENCRYPTION_ERROR;
    }
    return SNMPv3_USM_OK;
}
