// The web configuration file: what it accepts and why it refuses the rest,
// the TLS files it loads, and basic authentication.

#include "exporter/ExporterWebConfig.h"
#include "exporter/ExporterBasicAuth.h"
#include "tests/support/TestCredentials.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

// A YAML block scalar's lines.
std::string Indented(const std::string& text)
{
    std::string lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        lines += "    " + text.substr(at, end - at) + "\n";
    }
    return lines;
}

class ExporterWebConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/webconfig-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(folder));
        dir = folder;
        std::string otherCert, otherKey;
        krwtest::MakeCertificate(&cert, &key);
        krwtest::MakeCertificate(&otherCert, &otherKey);
        for (const auto& file : {std::make_pair("cert.pem", cert),
                                 {"key.pem", key},
                                 {"other-key.pem", otherKey},
                                 {"junk.pem", std::string("not a certificate\n")}})
            std::ofstream(dir + "/" + file.first) << file.second;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string dir, cert, key;
};

const std::string kTls = "tls_server_config:\n  cert_file: cert.pem\n  key_file: key.pem\n";
const std::string kGoodHash = "$2y$10$" + std::string(53, 'a');

TEST_F(ExporterWebConfigTest, AcceptsTheKnownKeysAndRefusesTheRestWithTheReason)
{
    const struct {
        std::string yaml, reason;  // reason "" when the file is good
    } cases[] = {
        {"", ""},
        {"tls_server_config:\n", ""},
        {"http_server_config:\n  http2: false\n  headers:\n    X-Frame-Options: DENY\n", ""},
        {"basic_auth_users:\n  alice: " + kGoodHash + "\n", ""},
        {kTls + "  client_auth_type: RequireAndVerifyClientCert\n  client_ca_file: cert.pem\n  min_version: TLS13\n"
                "  cipher_suites: [TLS_AES_128_GCM_SHA256]\n  curve_preferences: [X25519, CurveP256]\n",
         ""},
        {"metrics_path: /x\n", "web.yml: metrics_path: unknown key"},
        {kTls + "  client_auth: RequireAnyClientCert\n", "tls_server_config.client_auth: unknown key"},
        {"basic_auth_users:\n  a: " + kGoodHash + "\n  a: " + kGoodHash + "\n", "basic_auth_users.a: given twice"},
        {"http_server_config: [1]\n", "http_server_config: must be a mapping"},
        {"tls_server_config: {\n", "web.yml: line"},
        {"tls_server_config:\n  key_file: key.pem\n", "tls_server_config.cert_file: required"},
        {"tls_server_config:\n  cert_file: no.pem\n  key_file: key.pem\n", "cert_file: cannot read"},
        {"tls_server_config:\n  cert_file: junk.pem\n  key_file: key.pem\n", "cert_file: not a PEM certificate"},
        {"tls_server_config:\n  cert_file: cert.pem\n  key_file: other-key.pem\n", "key_file: does not load"},
        {kTls + "  cert: x\n", "cert_file and cert cannot both be given"},
        {kTls + "  client_auth_type: Bogus\n", "client_auth_type: \"Bogus\" is not one of"},
        {kTls + "  client_ca_file: cert.pem\n", "client_ca_file: given, but"},
        {kTls + "  client_auth_type: RequestClientCert\n  client_ca_file: junk.pem\n",
         "client_ca_file: not a PEM certificate"},
        {kTls + "  client_auth_type: VerifyClientCertIfGiven\n", "client_ca_file: required"},
        {kTls + "  min_version: TLS13\n  max_version: TLS12\n", "min_version: is above max_version"},
        {kTls + "  max_version: TLS14\n", "max_version: \"TLS14\" is not one of"},
        {kTls + "  cipher_suites: [TLS_RSA_WITH_AES_128_CBC_SHA]\n", "cipher_suites: not supported"},
        {kTls + "  client_allowed_sans: [a.example]\n", "client_allowed_sans: not supported"},
        {kTls + "  curve_preferences: [CurveP224]\n", "\"CurveP224\" is not one of"},
        {"http_server_config:\n  http2: maybe\n", "http2: must be true or false"},
        {"http_server_config:\n  headers:\n    Server: x\n", "headers.Server: cannot be set"},
        {"http_server_config:\n  headers:\n    X-Frame-Options: ALLOWALL\n", "\"ALLOWALL\" is not allowed"},
        {"http_server_config:\n  headers:\n    X-XSS-Protection: \"0\\r\\nSet-Cookie: a=b\"\n", "control characters"},
        {"basic_auth_users:\n  bob: $6$secretsalt$x\n", "basic_auth_users.bob: not a bcrypt hash"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.yaml);
        CWebConfig config;
        std::string error;
        EXPECT_EQ(c.reason.empty(), ParseWebConfig(c.yaml, dir + "/web.yml", &config, &error)) << error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_EQ(std::string::npos, error.find("secretsalt")) << "a hash must not be quoted back";
    }
}

TEST_F(ExporterWebConfigTest, LoadsTheTlsFilesFromTheFilesFolder)
{
    std::ofstream(dir + "/web.yml") << kTls << "  client_auth_type: RequireClientCert\n"
                                    << "  client_ca_file: " << dir << "/cert.pem\n  max_version: TLS12\n"
                                    << "http_server_config:\n  headers:\n    X-Content-Type-Options: nosniff\n";
    CWebConfig config;
    std::string error;
    ASSERT_TRUE(LoadWebConfig(dir + "/web.yml", &config, &error)) << error;
    EXPECT_TRUE(config.tls.enabled);
    EXPECT_EQ(cert, config.tls.certPem);
    EXPECT_EQ(key, config.tls.keyPem);
    EXPECT_EQ(cert, config.tls.clientCaPem);
    EXPECT_EQ(CClientAuth::requireAny, config.tls.clientAuth);
    EXPECT_EQ("NORMAL:-VERS-ALL:+VERS-TLS1.2:%SERVER_PRECEDENCE", config.tls.priorities);
    EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"X-Content-Type-Options", "nosniff"}}),
              config.headers);

    // The same pair given inline.
    std::ofstream(dir + "/inline.yml") << "tls_server_config:\n  cert: |\n"
                                       << Indented(cert) << "  key: |\n"
                                       << Indented(key);
    ASSERT_TRUE(LoadWebConfig(dir + "/inline.yml", &config, &error)) << error;
    EXPECT_EQ(cert, config.tls.certPem);
    EXPECT_FALSE(LoadWebConfig(dir + "/missing.yml", &config, &error));
    EXPECT_NE(std::string::npos, error.find("missing.yml")) << error;
}

TEST(ExporterBasicAuthTest, ParsesTheHeaderAndChecksPasswords)
{
    const struct {
        const char* header;
        bool ok;
        std::string user, password;
    } headers[] = {
        {"Basic YWxpY2U6c2VjcmV0", true, "alice", "secret"},
        {"bAsIc   YWxpY2U6c2U6Y3JldA== ", true, "alice", "se:cret"},
        {"Basic OnNlY3JldA==", true, "", "secret"},
        {"Basic YWxpY2U=", false, "", ""},           // no colon
        {"Basic YWxpY2U6c2VjcmV", false, "", ""},    // cut short
        {"Basic !!!!", false, "", ""},               // not base64
        {"Bearer YWxpY2U6c2VjcmV0", false, "", ""},  // another scheme
        {"BasicYWxpY2U6c2VjcmV0", false, "", ""},    // no space after the scheme
        {"Basic ", false, "", ""},
    };
    for (const auto& h : headers) {
        std::string user, password;
        EXPECT_EQ(h.ok, ParseBasicAuthorization(h.header, &user, &password)) << h.header;
        EXPECT_EQ(h.user, user) << h.header;
        EXPECT_EQ(h.password, password) << h.header;
    }

    const std::string hash = krwtest::Bcrypt("secret");
    ASSERT_EQ(0u, hash.rfind("$2b$04$", 0));
    // Files made by other tools carry $2a$ or $2y$; for these passwords all three are the same.
    CBasicAuth auth({{"alice", hash}, {"bob", "$2y$" + hash.substr(4)}, {"carol", "$2a$" + hash.substr(4)}});
    for (const char* user : {"alice", "bob", "carol"}) {
        for (int round = 0; round < 2; ++round)  // the second from the cache
            EXPECT_TRUE(auth.Verify(user, "secret")) << user;
        EXPECT_FALSE(auth.Verify(user, "Secret")) << user;
        EXPECT_FALSE(auth.Verify(user, std::string("secret\0x", 8))) << user;
    }
    EXPECT_FALSE(auth.Verify("dave", "secret"));
    CBasicAuth broken(std::map<std::string, std::string>{{"alice", "not a hash"}});
    EXPECT_FALSE(broken.Verify("alice", ""));
}

}  // namespace
