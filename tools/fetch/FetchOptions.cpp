#include "tools/fetch/FetchOptions.h"

#include "snmpfw/Keywords.h"
#include "snmplib/SmiSyntax.h"

#include <CLI/CLI.hpp>

#include <map>

namespace {

const std::map<std::string, int> kVersions = {{"1", 0}, {"2c", 1}, {"3", 3}};
const std::map<std::string, int> kLevels = {{"noAuthNoPriv", SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV},
                                            {"authNoPriv", SNMP_SECURITY_LEVEL_AUTH_NOPRIV},
                                            {"authPriv", SNMP_SECURITY_LEVEL_AUTH_PRIV}};
const std::map<std::string, int> kAuthProtocols = {
    {"MD5", SNMP_AUTHPROTOCOL_HMACMD5},           {"SHA", SNMP_AUTHPROTOCOL_HMACSHA},
    {"SHA-224", SNMP_AUTHPROTOCOL_HMAC128SHA224}, {"SHA-256", SNMP_AUTHPROTOCOL_HMAC192SHA256},
    {"SHA-384", SNMP_AUTHPROTOCOL_HMAC256SHA384}, {"SHA-512", SNMP_AUTHPROTOCOL_HMAC384SHA512}};
const std::map<std::string, int> kPrivProtocols = {{"DES", SNMP_PRIVPROTOCOL_DES},
                                                   {"AES", SNMP_PRIVPROTOCOL_AES128},
                                                   {"AES-192", SNMP_PRIVPROTOCOL_AES192},
                                                   {"AES-256", SNMP_PRIVPROTOCOL_AES256}};
const std::map<std::string, CFetchFormat> kFormats = {{"tsv", CFetchFormat::tsv},
                                                      {"table", CFetchFormat::table},
                                                      {"json", CFetchFormat::json}};

// A keyword of one of the framework's lists (any letter case) to its code;
// -1 for a word the list does not have.
int KeywordCode(const COptionList& keywords, const std::string& word)
{
    const int index = keywords.FindText(CString(word.c_str()));
    return index < 0 ? -1 : keywords.entries[index]->value.number;
}

// OID[:SYNTAX[:ACCESS]], or OID:SYNTAX=VALUE for a set.
CFetchVariable ReadVariable(const std::string& text, bool set)
{
    CFetchVariable variable;
    std::string rest = text;
    if (set) {
        const size_t equals = rest.find('=');
        if (equals == std::string::npos)
            throw CLI::ValidationError("VARIABLE", text + ": a set needs OID:SYNTAX=VALUE");
        variable.value = rest.substr(equals + 1);
        rest = rest.substr(0, equals);
    }
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t colon = rest.find(':', start);
        parts.push_back(rest.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() > 3 || parts[0].empty())
        throw CLI::ValidationError("VARIABLE", text + ": not OID[:SYNTAX[:ACCESS]]");
    variable.oid = parts[0];
    variable.syntax = KeywordCode(SyntaxKeywords, parts.size() > 1 ? parts[1] : "displaystr");
    variable.access = KeywordCode(AccessKeywords, parts.size() > 2 ? parts[2] : set ? "readwrite" : "readonly");
    if (variable.syntax < 0 || variable.access < 0)
        throw CLI::ValidationError("VARIABLE", text + ": unknown syntax or access keyword");
    return variable;
}

template <class T>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, T& target, const std::map<std::string, T>& choices,
                       const std::string& help)
{
    return app.add_option(name, target, help)->transform(CLI::CheckedTransformer(choices, CLI::ignore_case));
}

}  // namespace

int ParseFetchOptions(int argc, char** argv, CFetchOptions* o)
{
    CLI::App app{"Reads scalars or walks a table of any SNMP agent through the framework's conversions, or sets "
                 "variables, and prints the display texts.",
                 "snmpfw-fetch"};
    app.set_version_flag("--version", "snmpfw-fetch " KRW_VERSION);
    CSnmpTargetParams& t = o->target;
    std::vector<std::string> variables;
    std::string contextEngine;
    t.version = 1;
    t.readCommunity = "public";
    t.writeCommunity = "private";
    t.port = 161;
    t.timeout = 100;
    t.retries = 1;
    t.securityModel = SNMP_SECURITY_MODEL_USM;
    t.securityLevel = SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV;
    t.authProtocol = SNMP_AUTHPROTOCOL_NONE;
    t.privProtocol = SNMP_PRIVPROTOCOL_NONE;
    std::string read = "public", write = "private", user, authPassword, privPassword, context;
    int port = 161;
    app.add_option("ADDRESS", o->address, "the agent: IPv4 address or host name")->required();
    app.add_option("VARIABLE", variables,
                   "OID[:SYNTAX[:ACCESS]] (syntax and access are the framework's keywords, any letter case; "
                   "default displaystr and readonly); with --set OID:SYNTAX=VALUE")
        ->required();
    AddChoice(app, "-v", t.version, kVersions, "version: 1, 2c or 3 (default 2c)");
    app.add_option("-c", read, "read community (default public)");
    app.add_option("-w", write, "write community (default private)");
    app.add_option("-p", port, "port (default 161)")->check(CLI::Range(1, 65535));
    app.add_option("-t", t.timeout, "time-out in hundredths of a second (default 100)")->check(CLI::Range(1, 360000));
    app.add_option("-r", t.retries, "retries (default 1)")->check(CLI::Range(0, 100));
    app.add_option("-u", user, "SNMPv3 user (security name)");
    AddChoice(app, "-l", t.securityLevel, kLevels, "SNMPv3 level: noAuthNoPriv, authNoPriv or authPriv");
    AddChoice(app, "-a", t.authProtocol, kAuthProtocols, "authentication protocol: MD5, SHA, SHA-224 .. SHA-512");
    app.add_option("-A", authPassword, "authentication password");
    AddChoice(app, "-x", t.privProtocol, kPrivProtocols, "privacy protocol: DES, AES, AES-192, AES-256");
    app.add_option("-X", privPassword, "privacy password");
    app.add_option("-n", context, "SNMPv3 context name");
    app.add_option("-E", contextEngine, "SNMPv3 context engine identifier, as text");
    app.add_option("--walk", o->walkKeys, "walk a table whose first K variables are its index columns")
        ->check(CLI::Range(0, 128));
    app.add_option("--max-rows", o->maxRows,
                   "a walk stops after N rows (default 1000000) and exits 3: an agent whose table never ends")
        ->check(CLI::Range(1, 2147483647));
    app.add_flag("--set", o->set, "set every VARIABLE (OID:SYNTAX=VALUE) in one request");
    AddChoice(app, "-f", o->format, kFormats,
              "output: tsv (default) or json, each row as it comes, or table, aligned at the end");
    app.footer("Exit status: 0 done, 1 a failure (its text on standard error; a walk shows the rows it read "
               "first), 2 bad usage, 3 a walk stopped by --max-rows.");
    try {
        app.parse(argc, argv);
        if (o->set && o->walkKeys >= 0)
            throw CLI::ValidationError("--set", "cannot be used with --walk");
        for (const std::string& text : variables)
            o->variables.push_back(ReadVariable(text, o->set));
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return e.get_exit_code() == 0 ? status : 2;
    }
    t.port = static_cast<unsigned short>(port);
    t.readCommunity = read.c_str();
    t.writeCommunity = write.c_str();
    t.securityName = user.c_str();
    t.authPassword = authPassword.c_str();
    t.privPassword = privPassword.c_str();
    t.contextName = context.c_str();
    t.contextEngineId = contextEngine.c_str();
    t.address = o->address.c_str();
    return -1;
}
