#include "snmplib/netsnmp/NetSnmpUsm.h"

#include "snmplib/SmiSyntax.h"
#include "snmplib/SnmpErrors.h"

#include <cstring>

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
// A library built without OpenSSL (the Windows build) has MD5 alone.
#ifdef HAVE_EVP_SHA224
    {SNMP_AUTHPROTOCOL_HMAC128SHA224, usmHMAC128SHA224AuthProtocol, OID_LENGTH(usmHMAC128SHA224AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC192SHA256, usmHMAC192SHA256AuthProtocol, OID_LENGTH(usmHMAC192SHA256AuthProtocol)},
#endif
#ifdef HAVE_EVP_SHA384
    {SNMP_AUTHPROTOCOL_HMAC256SHA384, usmHMAC256SHA384AuthProtocol, OID_LENGTH(usmHMAC256SHA384AuthProtocol)},
    {SNMP_AUTHPROTOCOL_HMAC384SHA512, usmHMAC384SHA512AuthProtocol, OID_LENGTH(usmHMAC384SHA512AuthProtocol)},
#endif
};

const ProtocolRow kPrivProtocols[] = {
    {SNMP_PRIVPROTOCOL_NONE, usmNoPrivProtocol, OID_LENGTH(usmNoPrivProtocol)},
    {SNMP_PRIVPROTOCOL_DES, usmDESPrivProtocol, OID_LENGTH(usmDESPrivProtocol)},
    {SNMP_PRIVPROTOCOL_AES128, usmAESPrivProtocol, OID_LENGTH(usmAESPrivProtocol)},
#ifdef NETSNMP_DRAFT_BLUMENTHAL_AES_04
    {SNMP_PRIVPROTOCOL_AES192, usmAES192PrivProtocol, OID_LENGTH(usmAES192PrivProtocol)},
    {SNMP_PRIVPROTOCOL_AES256, usmAES256PrivProtocol, OID_LENGTH(usmAES256PrivProtocol)},
#endif
};

// Net-SNMP refuses to derive a key from a shorter passphrase (RFC 3414, 11.2).
const size_t kMinimumPassword = 8;

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

bool HasAuthKey(const CUsmCredentials& user)
{
    return user.authProtocol != SNMP_AUTHPROTOCOL_NONE && user.authPassword.size() >= kMinimumPassword;
}

bool HasPrivKey(const CUsmCredentials& user)
{
    return HasAuthKey(user) && user.privProtocol != SNMP_PRIVPROTOCOL_NONE &&
           user.privPassword.size() >= kMinimumPassword;
}

// The privacy key is derived with the authentication hash (RFC 3414, 2.6).
bool DeriveKey(const ProtocolRow& auth, const std::string& password, u_char* key, size_t* keyLength)
{
    return generate_Ku(auth.protocol, static_cast<u_int>(auth.length), reinterpret_cast<const u_char*>(password.data()),
                       password.size(), key, keyLength) == SNMPERR_SUCCESS;
}

std::string KeysName(const CUsmCredentials& user)
{
    return std::to_string(user.authProtocol) + '/' + std::to_string(user.privProtocol) + '/' +
           std::to_string(user.authPassword.size()) + '/' + user.authPassword + user.privPassword;
}

std::string EngineOf(const netsnmp_session& session)
{
    return std::string(reinterpret_cast<const char*>(session.securityEngineID), session.securityEngineIDLen);
}

}  // namespace

bool CUsmCredentials::operator==(const CUsmCredentials& other) const
{
    return userName == other.userName && authProtocol == other.authProtocol && privProtocol == other.privProtocol &&
           authPassword == other.authPassword && privPassword == other.privPassword;
}

int CNetSnmpUsers::Add(const std::string& securityName, const CUsmCredentials& credentials, bool* changed)
{
    *changed = false;
    if (securityName.empty())
        return SNMPv3_USM_ERROR;
    if (!FindProtocol(kAuthProtocols, credentials.authProtocol))
        return SNMPv3_USM_UNSUPPORTED_AUTHPROTOCOL;
    if (!FindProtocol(kPrivProtocols, credentials.privProtocol))
        return SNMPv3_USM_UNSUPPORTED_PRIVPROTOCOL;
    auto found = users.find(securityName);
    if (found != users.end() && found->second == credentials)
        return SNMPv3_USM_OK;
    *changed = found != users.end();
    users[securityName] = credentials;
    DropUnusedKeys();
    // Derived now, so that no send has to wait for it.
    MasterKeys(credentials);
    return SNMPv3_USM_OK;
}

const CUsmCredentials* CNetSnmpUsers::Find(const std::string& securityName) const
{
    auto found = users.find(securityName);
    return found == users.end() ? nullptr : &found->second;
}

const CNetSnmpUsers::CMasterKeys& CNetSnmpUsers::MasterKeys(const CUsmCredentials& credentials)
{
    const std::string name = KeysName(credentials);
    auto found = keys.find(name);
    if (found != keys.end())
        return found->second;
    CMasterKeys& made = keys[name];
    const ProtocolRow* auth = FindProtocol(kAuthProtocols, credentials.authProtocol);
    if (!auth || !HasAuthKey(credentials))
        return made;
    ++derivations;
    made.authLength = sizeof made.auth;
    if (!DeriveKey(*auth, credentials.authPassword, made.auth, &made.authLength)) {
        made.result = SNMPv3_USM_AUTHENTICATION_ERROR;
        return made;
    }
    made.privLength = sizeof made.priv;
    if (HasPrivKey(credentials) && !DeriveKey(*auth, credentials.privPassword, made.priv, &made.privLength))
        made.result = SNMPv3_USM_ENCRYPTION_ERROR;
    if (!HasPrivKey(credentials))
        made.privLength = 0;
    return made;
}

void CNetSnmpUsers::DropUnusedKeys()
{
    for (auto it = keys.begin(); it != keys.end();) {
        bool used = false;
        for (const auto& user : users)
            used = used || KeysName(user.second) == it->first;
        it = used ? std::next(it) : keys.erase(it);
    }
}

int CNetSnmpUsers::FillSession(netsnmp_session& session, const CUsmCredentials& credentials, int securityLevel)
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
    const CMasterKeys& master = MasterKeys(credentials);
    if (master.result != SNMPERR_SUCCESS)
        return master.result;
    session.securityModel = SNMP_SEC_MODEL_USM;
    session.securityLevel = securityLevel;
    session.securityAuthProto = const_cast<oid*>(auth->protocol);
    session.securityAuthProtoLen = auth->length;
    session.securityPrivProto = const_cast<oid*>(priv->protocol);
    session.securityPrivProtoLen = priv->length;
    // Keys go in whenever the passwords allow, not only for this level: the
    // localized user serves every level these credentials are used at.
    memcpy(session.securityAuthKey, master.auth, master.authLength);
    session.securityAuthKeyLen = master.authLength;
    memcpy(session.securityPrivKey, master.priv, master.privLength);
    session.securityPrivKeyLen = master.privLength;
    return SNMPv3_USM_OK;
}

CUsmSlot* CNetSnmpUsers::Hold(netsnmp_session& session, const CUsmCredentials& credentials)
{
    const std::string engineId = EngineOf(session);
    CUsmSlot& slot = slots[{engineId, credentials.userName}];
    if (slot.holders > 0 && slot.owner != credentials) {
        slot.wanted = true;
        return nullptr;
    }
    if (!slot.localized || slot.owner != credentials) {
        Unlocalize(engineId, credentials.userName);
        Localize(session);
        slot.owner = credentials;
        slot.localized = true;
    }
    ++slot.holders;
    return &slot;
}

bool CNetSnmpUsers::Release(CUsmSlot* slot)
{
    if (--slot->holders > 0 || !slot->wanted)
        return false;
    slot->wanted = false;
    return true;
}

void CNetSnmpUsers::Clear(bool keepLocalized)
{
    for (const auto& slot : slots)
        if (!keepLocalized)
            Unlocalize(slot.first.first, slot.first.second);
    slots.clear();
    users.clear();
    keys.clear();
}

void CNetSnmpUsers::Localize(netsnmp_session& session)
{
    // Net-SNMP makes a session's user only once; this one may be the second.
    session.flags &= ~SNMP_FLAGS_USER_CREATED;
    usm_create_user_from_session(&session);
}

void CNetSnmpUsers::Unlocalize(const std::string& engineId, const std::string& userName)
{
    struct usmUser* user = usm_get_user(reinterpret_cast<u_char*>(const_cast<char*>(engineId.data())), engineId.size(),
                                        const_cast<char*>(userName.c_str()));
    if (!user)
        return;
    usm_remove_user(user);
    usm_free_user(user);
}
