#pragma once

#include <map>
#include <mutex>
#include <string>
#include <unordered_set>

// The user and password of an "Authorization: Basic ..." header value; false
// for another scheme, text that is not base64, or no colon in it.
bool ParseBasicAuthorization(const std::string& headerValue, std::string* user, std::string* password);

// Checks user names and passwords against bcrypt hashes, from any thread.
class CBasicAuth {
public:
    explicit CBasicAuth(std::map<std::string, std::string> users);

    bool Verify(const std::string& user, const std::string& password);
    // Whether a check of these succeeded before: no bcrypt, so that a
    // known client is answered at once however many others wait for theirs.
    bool Known(const std::string& user, const std::string& password);

private:
    static bool Matches(const std::string& password, const std::string& hash);

    const std::map<std::string, std::string> users;  // user -> bcrypt hash
    const std::string dummyHash;                     // checked for unknown users
    std::mutex mutex;
    // A bcrypt takes tens of milliseconds and Prometheus asks every few
    // seconds: checks that succeeded are kept, as SHA-256 digests of user,
    // password and hash.
    std::unordered_set<std::string> verified;
};
