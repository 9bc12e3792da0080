#pragma once

#include <map>
#include <string>

// One set of SNMP parameters for the plug-in.
struct CSnmpProfile {
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    int port = 161;
    int timeout = 200;  // hundredths of a second
};

bool operator==(const CSnmpProfile& a, const CSnmpProfile& b);
bool operator!=(const CSnmpProfile& a, const CSnmpProfile& b);

// Profiles by name, as a probe chooses them.
using CSnmpProfiles = std::map<std::string, CSnmpProfile>;

// Reads the profiles of the file at path. Keys a profile leaves out take
// base's values (the command line's, or the defaults). "default" is always
// there: base itself when the file has none. False with a one-line reason
// (file, profile, key) in *error, *profiles untouched. A file that holds a
// write community is refused while every user may read it.
bool LoadSnmpProfiles(const std::string& path, const CSnmpProfile& base, CSnmpProfiles* profiles, std::string* error);

// The same for the text of such a file, the reason without the file's name.
// *holdsWriteCommunity, when given, tells whether any profile sets one.
bool ParseSnmpProfiles(const std::string& text, const CSnmpProfile& base, CSnmpProfiles* profiles, std::string* error,
                       bool* holdsWriteCommunity = nullptr);
