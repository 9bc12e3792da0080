#include "tools/fetch/FetchOptions.h"

#include "snmplib/SmiSyntax.h"
#include "tools/cli/CliAddress.h"
#include "tools/cli/CliEscape.h"
#include "tools/cli/CliOptions.h"
#include "tools/fetch/FetchVariables.h"

#include <CLI/CLI.hpp>

namespace {

const std::vector<std::pair<std::string, int>> kVersions = {{"1", 0}, {"2c", 1}, {"3", 3}};
const std::vector<std::pair<std::string, int>> kLevels = {{"noAuthNoPriv", SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV},
                                                          {"authNoPriv", SNMP_SECURITY_LEVEL_AUTH_NOPRIV},
                                                          {"authPriv", SNMP_SECURITY_LEVEL_AUTH_PRIV}};
const std::vector<std::pair<std::string, int>> kAuthProtocols = {
    {"MD5", SNMP_AUTHPROTOCOL_HMACMD5},           {"SHA", SNMP_AUTHPROTOCOL_HMACSHA},
    {"SHA-224", SNMP_AUTHPROTOCOL_HMAC128SHA224}, {"SHA-256", SNMP_AUTHPROTOCOL_HMAC192SHA256},
    {"SHA-384", SNMP_AUTHPROTOCOL_HMAC256SHA384}, {"SHA-512", SNMP_AUTHPROTOCOL_HMAC384SHA512}};
const std::vector<std::pair<std::string, int>> kPrivProtocols = {{"DES", SNMP_PRIVPROTOCOL_DES},
                                                                 {"AES", SNMP_PRIVPROTOCOL_AES128},
                                                                 {"AES-192", SNMP_PRIVPROTOCOL_AES192},
                                                                 {"AES-256", SNMP_PRIVPROTOCOL_AES256}};
const std::vector<std::pair<std::string, CFetchFormat>> kFormats = {{"tsv", CFetchFormat::tsv},
                                                                    {"table", CFetchFormat::table},
                                                                    {"json", CFetchFormat::json}};

std::string VariableHelp()
{
    return "OID[:SYNTAX[:ACCESS]], with --set OID:SYNTAX=VALUE, or a derived value =EXPRESSION[:SYNTAX] (see "
           "below). SYNTAX (default displaystr), any letter case: " +
           SyntaxKeywordList() +
           ". ACCESS (default readonly; notaccess for the index columns of --walk, whose "
           "values come from the row's instance): " +
           AccessKeywordList() + ".";
}

std::string Footer()
{
    return std::string("A derived value is computed for every row from the other VARIABLEs: $N is the value of the "
                       "VARIABLE at place N, counted from $0 (a derived one must come before it); EXPRESSION takes "
                       "numbers, NOW, + - * / and parentheses, and one that is not read whole is refused; SYNTAX "
                       "(default double) is how the result is shown. A result that SYNTAX cannot hold (not "
                       "finite, negative for an unsigned syntax, too large) is shown as (NULL), as is a value "
                       "that was not received. For example, the bits received beside "
                       "the octets of every interface:\n"
                       "  snmpfw-fetch --walk 1 ADDRESS 1.3.6.1.2.1.2.2.1.1:integer "
                       "1.3.6.1.2.1.2.2.1.10:counter '=$1*8:counter64'\n\n"
                       "In the tsv and table forms, ") +
           kEscapeHelp +
           " noSuchObject, noSuchInstance and endOfMibView are shown as these words.\n\n"
           "Exit status: 0 done, 1 a failure (its text on standard error; a walk shows the rows it read first) or "
           "output that could not be written, 2 bad usage, 3 a walk stopped by --max-rows.";
}

// ADDRESS:PORT names the port itself, over -p. An IPv6 address goes to the
// framework as given, which refuses it.
void TakePort(CFetchOptions& o, int* port)
{
    const CAddressPort split = SplitAddressPort(o.address);
    if (!split.hasPort || split.address.find(':') != std::string::npos)
        return;
    if (!split.valid || split.port == 0)
        throw CLI::ValidationError("ADDRESS", o.address + ": a port is from 1 to 65535");
    o.address = split.address;
    *port = split.port;
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
    app.add_option("ADDRESS", o->address, "the agent: IPv4 address or host name, with :PORT to override -p")
        ->required();
    app.add_option("VARIABLE", variables, VariableHelp())->required();
    AddNamedChoice(app, "-v", t.version, kVersions, "version: 1, 2c or 3 (default 2c)")->type_name("VERSION");
    app.add_option("-c", read, "read community (default public)");
    app.add_option("-w", write, "write community (default private)");
    app.add_option("-p", port, "port (default 161)")->check(CLI::Range(1, 65535));
    app.add_option("-t", t.timeout, "time-out in hundredths of a second (default 100)")->check(CLI::Range(1, 360000));
    app.add_option("-r", t.retries, "retries (default 1)")->check(CLI::Range(0, 100));
    app.add_option("-u", user, "SNMPv3 user (security name)");
    AddNamedChoice(app, "-l", t.securityLevel, kLevels, "SNMPv3 level: noAuthNoPriv, authNoPriv or authPriv")
        ->type_name("LEVEL");
    AddNamedChoice(app, "-a", t.authProtocol, kAuthProtocols,
                   "authentication protocol: MD5, SHA, SHA-224, SHA-256, SHA-384 or SHA-512")
        ->type_name("PROTOCOL");
    app.add_option("-A", authPassword, "authentication password");
    AddNamedChoice(app, "-x", t.privProtocol, kPrivProtocols, "privacy protocol: DES, AES, AES-192 or AES-256")
        ->type_name("PROTOCOL");
    app.add_option("-X", privPassword, "privacy password");
    app.add_option("-n", context, "SNMPv3 context name");
    app.add_option("-E", contextEngine, "SNMPv3 context engine identifier, as text");
    app.add_option("--walk", o->walkKeys, "walk a table whose first K variables are its index columns")
        ->check(CLI::Range(0, 128));
    app.add_option("--max-rows", o->maxRows,
                   "a walk stops after N rows (default 1000000) and exits 3: an agent whose table never ends")
        ->check(CLI::Range(1, 2147483647));
    app.add_flag("--set", o->set,
                 "set every VARIABLE (OID:SYNTAX=VALUE) in one request; a VALUE that its SYNTAX cannot "
                 "hold is refused before anything is sent");
    AddNamedChoice(app, "-f", o->format, kFormats,
                   "output: tsv (default) or json, each row as it comes, or table, aligned at the end")
        ->type_name("FORMAT");
    app.footer(Footer());
    try {
        app.parse(argc, argv);
        if (o->set && o->walkKeys >= 0)
            throw CLI::ValidationError("--set", "cannot be used with --walk");
        o->variables = ReadVariables(variables, o->set, o->walkKeys);
        TakePort(*o, &port);
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
