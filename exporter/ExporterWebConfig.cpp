#include "exporter/ExporterWebConfig.h"

#include <gnutls/gnutls.h>
#include <gnutls/x509.h>
#include <yaml-cpp/yaml.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <type_traits>

namespace {

namespace fs = std::filesystem;

const char kTls[] = "tls_server_config";
const char kHttp[] = "http_server_config";
const char kUsers[] = "basic_auth_users";
// Far above any certificate chain or CA bundle; keeps a wrong path (a device,
// a log) from filling the memory, and the length within a gnutls_datum_t.
const size_t kMaxFileBytes = 16 << 20;

// Why the file is refused, and at which key ("a.b"; "" for the whole file).
struct CRefusal {
    std::string key, reason;
};

[[noreturn]] void Refuse(const std::string& key, const std::string& reason)
{
    throw CRefusal{key, reason};
}

std::string Join(const std::string& where, const std::string& key)
{
    return where.empty() ? key : where + "." + key;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool ReadFile(const fs::path& path, std::string* text, std::string* error)
{
    std::error_code ignored;
    if (fs::is_directory(path, ignored)) {
        *error = "is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = std::strerror(errno);
        return false;
    }
    char chunk[65536];
    text->clear();
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text->append(chunk, static_cast<size_t>(in.gcount()));
        if (text->size() > kMaxFileBytes) {
            *error = "larger than 16 MiB";
            return false;
        }
    }
    if (in.bad()) {
        *error = "read error";
        return false;
    }
    return true;
}

// ---- YAML, read strictly: a misspelt or repeated key would otherwise drop a
// setting (a client certificate check, a user) without a word.

std::string Text(const YAML::Node& node, const std::string& key)
{
    if (!node.IsDefined() || node.IsNull())
        return "";
    if (!node.IsScalar())
        Refuse(key, "must be a single value");
    return node.Scalar();
}

bool Flag(const YAML::Node& node, const std::string& key, bool fallback)
{
    bool value = fallback;
    if (node.IsDefined() && !node.IsNull() && (!node.IsScalar() || !YAML::convert<bool>::decode(node, value)))
        Refuse(key, "must be true or false");
    return value;
}

std::vector<std::string> List(const YAML::Node& node, const std::string& key)
{
    std::vector<std::string> items;
    if (!node.IsDefined() || node.IsNull())
        return items;
    if (!node.IsSequence())
        Refuse(key, "must be a list");
    for (const auto& item : node)
        items.push_back(Text(item, key));
    return items;
}

// A mapping's entries in the file's order; a null node has none.
std::vector<std::pair<std::string, YAML::Node>> Entries(const YAML::Node& node, const std::string& where)
{
    std::vector<std::pair<std::string, YAML::Node>> entries;
    if (node.IsNull())
        return entries;
    if (!node.IsMap())
        Refuse(where, "must be a mapping");
    std::set<std::string> seen;
    for (const auto& entry : node) {
        if (!entry.first.IsScalar())
            Refuse(where, "a key must be plain text");
        const std::string key = entry.first.Scalar();
        if (!seen.insert(key).second)
            Refuse(Join(where, key), "given twice");
        entries.emplace_back(key, entry.second);
    }
    return entries;
}

void CheckKeys(const YAML::Node& node, const std::string& where, const std::set<std::string>& known)
{
    for (const auto& entry : Entries(node, where))
        if (!known.count(entry.first))
            Refuse(Join(where, entry.first), "unknown key");
}

// ---- tls_server_config

const char* const kVersions[] = {"TLS10", "TLS11", "TLS12", "TLS13"};  // oldest first
const char* const kGnutlsVersions[] = {"VERS-TLS1.0", "VERS-TLS1.1", "VERS-TLS1.2", "VERS-TLS1.3"};
const int kTls12 = 2;
const int kTls13 = 3;

int Version(const YAML::Node& tls, const char* name, int fallback)
{
    const std::string text = Text(tls[name], Join(kTls, name));
    if (text.empty())
        return fallback;
    for (int i = 0; i <= kTls13; ++i)
        if (text == kVersions[i])
            return i;
    Refuse(Join(kTls, name), Quoted(text) + " is not one of TLS10, TLS11, TLS12, TLS13");
}

CClientAuth ClientAuth(const YAML::Node& tls)
{
    static const std::map<std::string, CClientAuth> kinds = {
        {"", CClientAuth::none},
        {"NoClientCert", CClientAuth::none},
        {"RequestClientCert", CClientAuth::request},
        {"RequireAnyClientCert", CClientAuth::requireAny},
        {"RequireClientCert", CClientAuth::requireAny},  // the older name of RequireAnyClientCert
        {"VerifyClientCertIfGiven", CClientAuth::verifyIfGiven},
        {"RequireAndVerifyClientCert", CClientAuth::requireAndVerify},
    };
    const std::string key = Join(kTls, "client_auth_type");
    const std::string text = Text(tls["client_auth_type"], key);
    const auto found = kinds.find(text);
    if (found == kinds.end())
        Refuse(key, Quoted(text) + " is not one of NoClientCert, RequestClientCert, RequireAnyClientCert, "
                                   "VerifyClientCertIfGiven, RequireAndVerifyClientCert");
    return found->second;
}

// "-GROUP-ALL:+GROUP-..." for curve_preferences, in the operator's order.
std::string Groups(const YAML::Node& tls)
{
    static const std::map<std::string, std::string> groups = {{"CurveP256", "GROUP-SECP256R1"},
                                                              {"CurveP384", "GROUP-SECP384R1"},
                                                              {"CurveP521", "GROUP-SECP521R1"},
                                                              {"X25519", "GROUP-X25519"}};
    const std::string key = Join(kTls, "curve_preferences");
    std::string priorities;
    for (const auto& name : List(tls["curve_preferences"], key)) {
        const auto found = groups.find(name);
        if (found == groups.end())
            Refuse(key, Quoted(name) + " is not one of CurveP256, CurveP384, CurveP521, X25519");
        priorities += ":+" + found->second;
    }
    return priorities.empty() ? priorities : ":-GROUP-ALL" + priorities;
}

std::string Priorities(const YAML::Node& tls)
{
    const int minVersion = Version(tls, "min_version", kTls12);
    const int maxVersion = Version(tls, "max_version", kTls13);
    if (minVersion > maxVersion)
        Refuse(Join(kTls, "min_version"), "is above max_version");
    // The list names TLS 1.2 and older suites only (TLS 1.3's are fixed), one
    // by one, which a GnuTLS priority string cannot: it is harmless to drop
    // only when no such version may be spoken.
    if (!List(tls["cipher_suites"], Join(kTls, "cipher_suites")).empty() && minVersion < kTls13)
        Refuse(Join(kTls, "cipher_suites"), "not supported; leave it out, or set min_version: TLS13");
    std::string priorities = "NORMAL:-VERS-ALL";
    for (int v = maxVersion; v >= minVersion; --v)
        priorities += std::string(":+") + kGnutlsVersions[v];
    priorities += Groups(tls);
    // On by default, as elsewhere; only the order of preference, never which
    // algorithms are allowed, depends on it.
    if (Flag(tls["prefer_server_cipher_suites"], Join(kTls, "prefer_server_cipher_suites"), true))
        priorities += ":%SERVER_PRECEDENCE";
    return priorities;
}

void CheckPriorities(const std::string& priorities)
{
    gnutls_priority_t cache = nullptr;
    const int status = gnutls_priority_init(&cache, priorities.c_str(), nullptr);
    if (status < 0)
        Refuse(kTls, std::string("TLS settings refused: ") + gnutls_strerror(status));
    const unsigned* versions = nullptr;
    const int count = gnutls_priority_protocol_list(cache, &versions);
    gnutls_priority_deinit(cache);
    if (count <= 0)
        Refuse(Join(kTls, "min_version"), "no TLS version from min_version to max_version is enabled here");
}

// A PEM given inline (inlineKey) or as a file (fileKey, relative to the
// configuration's folder); *from is the key it came from, "" when neither.
std::string Pem(const YAML::Node& tls, const std::string& inlineKey, const std::string& fileKey, const fs::path& folder,
                std::string* from)
{
    const std::string text = Text(tls[inlineKey], Join(kTls, inlineKey));
    const std::string file = Text(tls[fileKey], Join(kTls, fileKey));
    *from = file.empty() ? (text.empty() ? "" : Join(kTls, inlineKey)) : Join(kTls, fileKey);
    if (file.empty())
        return text;
    if (!text.empty())
        Refuse(kTls, fileKey + " and " + inlineKey + " cannot both be given");
    const fs::path path = folder / file;
    std::string pem, error;
    if (!ReadFile(path, &pem, &error))
        Refuse(*from, "cannot read " + Quoted(path.string()) + ": " + error);
    if (pem.empty())
        Refuse(*from, Quoted(path.string()) + " is empty");
    return pem;
}

gnutls_datum_t Datum(const std::string& text)
{
    return {reinterpret_cast<unsigned char*>(const_cast<char*>(text.data())), static_cast<unsigned>(text.size())};
}

void CheckCertificate(const std::string& pem, const std::string& from)
{
    const gnutls_datum_t data = Datum(pem);
    gnutls_x509_crt_t* certs = nullptr;
    unsigned count = 0;
    const int status = gnutls_x509_crt_list_import2(&certs, &count, &data, GNUTLS_X509_FMT_PEM, 0);
    for (unsigned i = 0; i < count; ++i)
        gnutls_x509_crt_deinit(certs[i]);
    gnutls_free(certs);
    if (status < 0)
        Refuse(from, std::string("not a PEM certificate: ") + gnutls_strerror(status));
}

// Loads what the TLS server will load, so that a bad file stops the start.
void CheckCredentials(const CWebTls& tls, const std::string& certFrom, const std::string& keyFrom,
                      const std::string& caFrom)
{
    CheckCertificate(tls.certPem, certFrom);
    gnutls_certificate_credentials_t credentials = nullptr;
    if (gnutls_certificate_allocate_credentials(&credentials) < 0)
        Refuse(kTls, "cannot allocate TLS credentials");
    std::unique_ptr<std::remove_pointer_t<gnutls_certificate_credentials_t>,
                    decltype(&gnutls_certificate_free_credentials)>
        owner(credentials, gnutls_certificate_free_credentials);
    const gnutls_datum_t cert = Datum(tls.certPem), key = Datum(tls.keyPem), ca = Datum(tls.clientCaPem);
    int status = gnutls_certificate_set_x509_key_mem2(credentials, &cert, &key, GNUTLS_X509_FMT_PEM, nullptr, 0);
    if (status < 0)
        Refuse(keyFrom, std::string("does not load with the certificate: ") + gnutls_strerror(status));
    if (tls.clientCaPem.empty())
        return;
    CheckCertificate(tls.clientCaPem, caFrom);
    status = gnutls_certificate_set_x509_trust_mem(credentials, &ca, GNUTLS_X509_FMT_PEM);
    if (status <= 0)
        Refuse(caFrom, status < 0 ? std::string("not PEM certificates: ") + gnutls_strerror(status)
                                  : std::string("holds no certificate"));
}

void CheckClientCa(const CWebTls& tls, const std::string& caFrom)
{
    const bool verifies =
        tls.clientAuth == CClientAuth::verifyIfGiven || tls.clientAuth == CClientAuth::requireAndVerify;
    if (verifies && tls.clientCaPem.empty())
        Refuse(Join(kTls, "client_ca_file"), "required to verify client certificates");
    if (!tls.clientCaPem.empty() && tls.clientAuth == CClientAuth::none)
        Refuse(caFrom, "given, but client_auth_type asks for no client certificate");
}

// cert, key and client_ca may hold the PEM text itself instead of naming a
// file. cipher_suites, curve_preferences and prefer_server_cipher_suites go
// into the priority string with the versions. client_allowed_sans would need
// a check of each client certificate's names that the server does not make;
// refused rather than dropped, as it narrows who may connect.
CWebTls ReadTls(const YAML::Node& node, const fs::path& folder)
{
    CheckKeys(node, kTls,
              {"cert", "key", "client_ca", "cert_file", "key_file", "client_auth_type", "client_ca_file",
               "cipher_suites", "curve_preferences", "min_version", "max_version", "prefer_server_cipher_suites",
               "client_allowed_sans"});
    CWebTls tls;
    if (node.IsNull())  // "tls_server_config:" with nothing under it
        return tls;
    if (!List(node["client_allowed_sans"], Join(kTls, "client_allowed_sans")).empty())
        Refuse(Join(kTls, "client_allowed_sans"), "not supported; leave it out");
    std::string certFrom, keyFrom, caFrom;
    tls.enabled = true;
    tls.certPem = Pem(node, "cert", "cert_file", folder, &certFrom);
    tls.keyPem = Pem(node, "key", "key_file", folder, &keyFrom);
    tls.clientCaPem = Pem(node, "client_ca", "client_ca_file", folder, &caFrom);
    if (certFrom.empty())
        Refuse(Join(kTls, "cert_file"), "required");
    if (keyFrom.empty())
        Refuse(Join(kTls, "key_file"), "required");
    tls.clientAuth = ClientAuth(node);
    CheckClientCa(tls, caFrom);
    tls.priorities = Priorities(node);
    CheckPriorities(tls.priorities);
    CheckCredentials(tls, certFrom, keyFrom, caFrom);
    return tls;
}

// ---- http_server_config, basic_auth_users

// The headers an operator may add, with the values allowed where few make
// sense (compared in lower case); an empty set allows any value.
const std::map<std::string, std::set<std::string>> kHeaders = {
    {"Content-Security-Policy", {}},
    {"Strict-Transport-Security", {}},
    {"X-Content-Type-Options", {"nosniff"}},
    {"X-XSS-Protection", {}},
    {"X-Frame-Options", {"deny", "sameorigin"}},
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void CheckHeader(const std::string& key, const std::string& name, const std::string& value)
{
    const auto found = kHeaders.find(name);
    if (found == kHeaders.end())
        Refuse(key, "cannot be set; only Content-Security-Policy, Strict-Transport-Security, X-Content-Type-Options, "
                    "X-Frame-Options and X-XSS-Protection can");
    if (!found->second.empty() && !found->second.count(Lower(value)))
        Refuse(key, Quoted(value) + " is not allowed");
    // A line break would let the value add headers of its own to every response.
    for (const char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            Refuse(key, "must not hold control characters");
}

// http2 is accepted for the files of other exporters; HTTP/1.1 is all there is here.
std::vector<std::pair<std::string, std::string>> ReadHttp(const YAML::Node& node)
{
    CheckKeys(node, kHttp, {"http2", "headers"});
    std::vector<std::pair<std::string, std::string>> headers;
    if (node.IsNull())
        return headers;
    Flag(node["http2"], Join(kHttp, "http2"), true);
    const std::string where = Join(kHttp, "headers");
    for (const auto& entry : Entries(node["headers"].IsDefined() ? node["headers"] : YAML::Node(), where)) {
        const std::string key = Join(where, entry.first);
        headers.emplace_back(entry.first, Text(entry.second, key));
        CheckHeader(key, entry.first, headers.back().second);
    }
    return headers;
}

bool IsBcrypt(const std::string& hash)
{
    static const char kAlphabet[] = "./ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // "$2b$" cost "$" then 22 characters of salt and 31 of hash.
    if (hash.size() != 60 || hash.compare(0, 2, "$2") != 0 || std::strchr("aby", hash[2]) == nullptr ||
        hash[3] != '$' || hash[6] != '$' || !std::isdigit(static_cast<unsigned char>(hash[4])) ||
        !std::isdigit(static_cast<unsigned char>(hash[5])))
        return false;
    const int cost = (hash[4] - '0') * 10 + (hash[5] - '0');
    return cost >= 4 && cost <= 31 && hash.find_first_not_of(kAlphabet, 7) == std::string::npos;
}

std::map<std::string, std::string> ReadUsers(const YAML::Node& node)
{
    std::map<std::string, std::string> users;
    for (const auto& entry : Entries(node, kUsers)) {
        const std::string key = Join(kUsers, entry.first);
        const std::string hash = Text(entry.second, key);
        if (!IsBcrypt(hash))  // never quoted back: it is as good as a password to a patient attacker
            Refuse(key, "not a bcrypt hash ($2a$, $2b$ or $2y$)");
        users[entry.first] = hash;
    }
    return users;
}

YAML::Node Child(const YAML::Node& map, const char* key)
{
    return map.IsMap() && map[key].IsDefined() ? map[key] : YAML::Node();
}

CWebConfig ReadConfig(const YAML::Node& root, const fs::path& folder)
{
    CheckKeys(root, "", {kTls, kHttp, kUsers});
    CWebConfig config;
    config.tls = ReadTls(Child(root, kTls), folder);
    config.headers = ReadHttp(Child(root, kHttp));
    config.basicAuthUsers = ReadUsers(Child(root, kUsers));
    return config;
}

}  // namespace

bool ParseWebConfig(const std::string& text, const std::string& path, CWebConfig* config, std::string* error)
{
    try {
        *config = ReadConfig(YAML::Load(text), fs::path(path).parent_path());
        return true;
    } catch (const CRefusal& refusal) {
        *error = path + ": " + (refusal.key.empty() ? "" : refusal.key + ": ") + refusal.reason;
    } catch (const YAML::Exception& e) {
        *error = path + ": " + (e.mark.is_null() ? "" : "line " + std::to_string(e.mark.line + 1) + ": ") + e.msg;
    }
    return false;
}

bool LoadWebConfig(const std::string& path, CWebConfig* config, std::string* error)
{
    std::string text, reason;
    if (!ReadFile(path, &text, &reason)) {
        *error = "cannot read web configuration file " + Quoted(path) + ": " + reason;
        return false;
    }
    return ParseWebConfig(text, path, config, error);
}
