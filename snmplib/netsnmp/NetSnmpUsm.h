#pragma once

#include "snmplib/netsnmp/NetSnmp.h"

#include <map>
#include <string>
#include <utility>

// An SNMPv3 user as usmAddUserName gives it.
struct CUsmCredentials {
    std::string userName;
    long authProtocol = 0;
    long privProtocol = 0;
    std::string authPassword;
    std::string privPassword;

    bool operator==(const CUsmCredentials& other) const;
    bool operator!=(const CUsmCredentials& other) const { return !(*this == other); }
};

// Net-SNMP's localized user of one engine and user name: whose credentials
// its keys were made from and how many requests in flight rely on them.
struct CUsmSlot {
    CUsmCredentials owner;
    int holders = 0;
    bool localized = false;
    bool wanted = false;  // other credentials wait for the holders to finish
};

// The users behind usmAddUserName and the keys made from their passwords.
//
// Net-SNMP keeps one localized user per (engine identifier, user name) and
// decodes every message of that user with it, while security names with the
// same user name may hold different passwords. So a localized user serves one
// credential set at a time: requests of another set wait until those in
// flight have ended, then the keys are replaced. Keys derived from passwords
// (the slow step, RFC 3414 section 2.6) are computed once per credential set;
// localizing them to an engine is all that happens per agent.
class CNetSnmpUsers {
public:
    CNetSnmpUsers() = default;
    CNetSnmpUsers(const CNetSnmpUsers&) = delete;
    CNetSnmpUsers& operator=(const CNetSnmpUsers&) = delete;

    // Stores the user; *changed tells whether it replaced other credentials.
    // SNMPv3_USM_OK or why the user is refused.
    int Add(const std::string& securityName, const CUsmCredentials& credentials, bool* changed);
    // Null when the security name is not known.
    const CUsmCredentials* Find(const std::string& securityName) const;

    // Puts the protocols and master keys into a session about to be opened.
    // SNMPv3_USM_OK or the failure: a level the user has no protocol for, or
    // a password Net-SNMP does not accept.
    int FillSession(netsnmp_session& session, const CUsmCredentials& credentials, int securityLevel);

    // The localized user for the engine the session knows, holding these
    // credentials' keys, with one more holder; null while other credentials'
    // requests still hold it. The session must have been filled for them.
    CUsmSlot* Hold(netsnmp_session& session, const CUsmCredentials& credentials);
    // One holder less; true when other credentials wait for the slot.
    bool Release(CUsmSlot* slot);

    // Forgets every user and key, and the localized users as well unless
    // keepLocalized: Net-SNMP's users are the process's, and another
    // module's copy of this library may be using them.
    void Clear(bool keepLocalized);

    // How often passwords have been turned into keys.
    int Derivations() const { return derivations; }

private:
    struct CMasterKeys {
        int result = SNMPERR_SUCCESS;
        u_char auth[USM_AUTH_KU_LEN] = {};
        size_t authLength = 0;
        u_char priv[USM_PRIV_KU_LEN] = {};
        size_t privLength = 0;
    };

    const CMasterKeys& MasterKeys(const CUsmCredentials& credentials);
    void DropUnusedKeys();
    static void Localize(netsnmp_session& session);
    static void Unlocalize(const std::string& engineId, const std::string& userName);

    std::map<std::string, CUsmCredentials> users;
    // By credentials without the user name, which keys do not depend on.
    std::map<std::string, CMasterKeys> keys;
    std::map<std::pair<std::string, std::string>, CUsmSlot> slots;
    int derivations = 0;
};
