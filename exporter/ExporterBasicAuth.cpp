#include "exporter/ExporterBasicAuth.h"

#include <crypt.h>
#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

namespace {

const size_t kMaxCached = 1024;
const size_t kMaxCredentials = 64 * 1024;  // base64 characters; far above any real pair
const unsigned long kDefaultCost = 10;

// A bcrypt salt setting as costly as the costliest user's hash, so that
// checking an unknown user takes as long as checking a known one.
std::string DummyHash(const std::map<std::string, std::string>& users)
{
    unsigned long cost = 0;
    for (const auto& user : users) {
        const std::string& hash = user.second;
        if (hash.size() > 7 && hash.compare(0, 2, "$2") == 0 && hash[3] == '$' && hash[6] == '$' &&
            std::isdigit(static_cast<unsigned char>(hash[4])) && std::isdigit(static_cast<unsigned char>(hash[5])))
            cost = std::max<unsigned long>(cost, (hash[4] - '0') * 10 + (hash[5] - '0'));
    }
    const char salt[16] = {};  // any salt serves: the hash is never matched
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (crypt_gensalt_rn("$2b$", cost ? cost : kDefaultCost, salt, sizeof salt, setting, sizeof setting) == nullptr &&
        crypt_gensalt_rn("$2b$", kDefaultCost, salt, sizeof salt, setting, sizeof setting) == nullptr)
        return std::string();
    return setting;
}

void AppendField(std::string* buffer, const std::string& field)
{
    const uint64_t size = field.size();
    buffer->append(reinterpret_cast<const char*>(&size), sizeof size);
    buffer->append(field);
}

// Sizes go in before each field, so that no two triples give the same bytes.
std::string CacheKey(const std::string& user, const std::string& password, const std::string& hash)
{
    std::string buffer;
    AppendField(&buffer, user);
    AppendField(&buffer, password);
    AppendField(&buffer, hash);
    unsigned char digest[32];
    const int status = gnutls_hash_fast(GNUTLS_DIG_SHA256, buffer.data(), buffer.size(), digest);
    gnutls_memset(&buffer[0], 0, buffer.size());  // it held the password
    return status < 0 ? std::string() : std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

}  // namespace

bool ParseBasicAuthorization(const std::string& headerValue, std::string* user, std::string* password)
{
    static const char kScheme[] = "basic";
    const size_t schemeSize = sizeof kScheme - 1;
    if (headerValue.size() <= schemeSize || strncasecmp(headerValue.c_str(), kScheme, schemeSize) != 0 ||
        (headerValue[schemeSize] != ' ' && headerValue[schemeSize] != '\t'))
        return false;
    const size_t begin = headerValue.find_first_not_of(" \t", schemeSize);
    if (begin == std::string::npos)
        return false;
    const size_t end = headerValue.find_last_not_of(" \t") + 1;
    if (end - begin > kMaxCredentials)
        return false;
    const gnutls_datum_t encoded = {reinterpret_cast<unsigned char*>(const_cast<char*>(headerValue.data() + begin)),
                                    static_cast<unsigned>(end - begin)};
    gnutls_datum_t decoded = {nullptr, 0};
    if (gnutls_base64_decode2(&encoded, &decoded) < 0)
        return false;
    const std::string text(reinterpret_cast<const char*>(decoded.data), decoded.size);
    gnutls_memset(decoded.data, 0, decoded.size);
    gnutls_free(decoded.data);
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    *user = text.substr(0, colon);
    *password = text.substr(colon + 1);
    return true;
}

CBasicAuth::CBasicAuth(std::map<std::string, std::string> users)
    : users(std::move(users)), dummyHash(DummyHash(this->users))
{
}

bool CBasicAuth::Matches(const std::string& password, const std::string& hash)
{
    // Zeroed, as crypt_rn wants it at first use; some 32 KiB, too much for
    // the stack of a connection's thread.
    auto data = std::make_unique<crypt_data>();
    const char* result = crypt_rn(password.c_str(), hash.c_str(), data.get(), sizeof *data);
    // Only the hash's length, which is no secret, ends the comparison early.
    const bool same = result != nullptr && result[0] != '*' && std::strlen(result) == hash.size() &&
                      gnutls_memcmp(result, hash.data(), hash.size()) == 0;
    gnutls_memset(data.get(), 0, sizeof *data);  // it held the password
    return same;
}

bool CBasicAuth::Known(const std::string& user, const std::string& password)
{
    const auto found = users.find(user);
    if (found == users.end() || password.find('\0') != std::string::npos)
        return false;
    const std::string key = CacheKey(user, password, found->second);
    std::lock_guard<std::mutex> lock(mutex);
    return !key.empty() && verified.count(key) != 0;
}

bool CBasicAuth::Verify(const std::string& user, const std::string& password)
{
    const auto found = users.find(user);
    // bcrypt ends the password at its first NUL: "secret\0x" must not pass for "secret".
    if (found == users.end() || password.find('\0') != std::string::npos) {
        Matches(password, dummyHash);
        return false;
    }
    if (Known(user, password))
        return true;
    const std::string key = CacheKey(user, password, found->second);
    if (!Matches(password, found->second))
        return false;
    std::lock_guard<std::mutex> lock(mutex);
    if (verified.size() >= kMaxCached)
        verified.clear();
    if (!key.empty())
        verified.insert(key);
    return true;
}
