#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// The --web.config.file: TLS, basic authentication and extra response
// headers, in the file format other Prometheus exporters read, so that an
// operator's file for them serves here unchanged.

// Which client certificates the TLS server asks for and checks.
enum class CClientAuth { none, request, requireAny, verifyIfGiven, requireAndVerify };

struct CWebTls {
    bool enabled = false;
    std::string certPem, keyPem, clientCaPem;  // the files' contents, read at load
    CClientAuth clientAuth = CClientAuth::none;
    std::string priorities;  // a GnuTLS priority string for min_version..max_version
};

struct CWebConfig {
    CWebTls tls;
    std::map<std::string, std::string> basicAuthUsers;         // user -> bcrypt hash
    std::vector<std::pair<std::string, std::string>> headers;  // http_server_config.headers
};

// Reads and checks the file; false with a one-line reason (naming the file and
// the key) in *error. Certificate, key and client CA are read and checked
// here, so that a bad one stops the exporter at start.
bool LoadWebConfig(const std::string& path, CWebConfig* config, std::string* error);

// As LoadWebConfig, for text read already from the file at path: path names
// the file in the reasons, and relative paths in it are taken from its folder.
bool ParseWebConfig(const std::string& text, const std::string& path, CWebConfig* config, std::string* error);
