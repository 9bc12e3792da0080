#pragma once

#include "snmplib/NetSnmp.h"

#include <string>

// The user table behind usmAddUserName. Net-SNMP keeps credentials in each
// session (and localized keys in its own per-engine user list), so the
// adapter remembers every user here and fills the sessions from it.
struct CUsmCredentials {
    std::string userName;
    long authProtocol = 0;
    long privProtocol = 0;
    std::string authPassword;
    std::string privPassword;

    bool operator==(const CUsmCredentials& other) const;
    bool operator!=(const CUsmCredentials& other) const { return !(*this == other); }
};

// Stores the user; *changed tells whether it replaced other credentials.
// Returns SNMPv3_USM_OK or the reason it refused the user.
int UsmTableAdd(const std::string& securityName, const CUsmCredentials& credentials, bool* changed);
// Null when the security name is not known.
const CUsmCredentials* UsmTableFind(const std::string& securityName);
void UsmTableClear();

// Forgets the keys Net-SNMP has localized for this user name at any engine,
// so that the next session for it derives them from the current passwords.
void UsmForgetLocalizedKeys(const std::string& userName);

// Puts the user's protocols and master keys into a session that is about to
// be opened. Returns SNMPv3_USM_OK or the failure: a level the user has no
// protocol for, or a password Net-SNMP does not accept.
int UsmFillSession(netsnmp_session& session, const CUsmCredentials& credentials, int securityLevel);
