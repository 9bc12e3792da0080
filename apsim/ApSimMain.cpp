// krw6180-apsim: a simulated KRW-6180 access point. A real SNMP agent on
// Net-SNMP's agent library that serves the access point's client
// information on one or many addresses, with switches that make it misbehave.

#include "apsim/ApSimClients.h"
#include "apsim/ApSimMib.h"
#include "apsim/ApSimTransports.h"
#include "platform/posix/Descriptors.h"
#include "snmplib/netsnmp/NetSnmpStateFolder.h"
#include "tools/cli/CliAddress.h"
#include "tools/cli/CliOutput.h"

#include <CLI/CLI.hpp>

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// Net-SNMP's VACM configuration tokens (rocommunity, rwuser, ...) and access
// checks; part of the agent library, without a header of its own.
extern "C" void init_vacm_conf(void);

namespace {

const char kApplication[] = "krw6180-apsim";

struct COptions {
    std::vector<std::string> listen{"127.0.0.1:161"};
    int addresses = 1;
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
    std::vector<std::string> users;
    std::string clientsCsv;
    int generate = -1;
    unsigned seed = 1;
    CApSimBehaviour behaviour;
    std::vector<std::string> cells;
    std::vector<std::string> holes;
    CApSimWire wire;
};

int g_stopPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 0;
    const ssize_t written = write(g_stopPipe[1], &byte, 1);
    (void)written;  // the loop is woken either way
}

bool g_stopping = false;

void OnStopPipe(int fd, void*)
{
    char byte = 0;
    const ssize_t got = read(fd, &byte, 1);
    (void)got;
    g_stopping = true;
}

void AddOptions(CLI::App& app, COptions& o)
{
    app.add_option("--listen", o.listen,
                   "ADDRESS:PORT to answer on (repeatable; port 0 picks a free one, the same for every address)")
        ->delimiter(',');
    app.add_option("--addresses", o.addresses, "answer on this many consecutive addresses from each --listen one")
        ->check(CLI::Range(1, 65536));
    app.add_option("-c,--community", o.readCommunity, "read community (SNMPv1/v2c)");
    app.add_option("-w,--write-community", o.writeCommunity, "write community (SNMPv1/v2c)");
    app.add_option("--user", o.users,
                   "SNMPv3 user NAME[:AUTH:AUTHPASSWORD[:PRIV:PRIVPASSWORD]], e.g. ap:SHA:authpass1:AES:privpass1 "
                   "(passwords of 8 characters or more)");
    app.add_option("--band", o.behaviour.band, "the access point's band: 0 (2.4GHz) or 1 (5GHz)")
        ->check(CLI::IsMember({0, 1}));
    app.add_option("--clients", o.clientsCsv, "clients from a CSV file: MAC,band,authentication,rssi,powersave,ssid");
    app.add_option("--generate", o.generate, "N generated clients instead of the three sample ones")
        ->check(CLI::Range(0, 1000000));
    app.add_option("--seed", o.seed, "seed of the generated clients");
    app.add_flag("--end-mib-with-table", o.behaviour.endMibWithTable, "no object after the client table");
    app.add_option("--refresh-error", o.behaviour.refreshError, "answer the refresh write with this error status");
    app.add_option("--stop-after", o.wire.stopAfter, "answer this many client table requests, then nothing at all");
    app.add_option("--delay", o.wire.delayMs, "answer every request this many milliseconds late")
        ->check(CLI::Range(0, 600000));
    app.add_option("--copies", o.wire.copies, "send every answer this many times")->check(CLI::Range(1, 100));
    app.add_flag("--log-requests", o.wire.log,
                 "print every request received (\"request\" or \"dropped\", the "
                 "command and the first OID) on standard output");
    app.add_option("--zero-mac-row", o.behaviour.zeroMacRow, "give this row (from 1) an all-zero MAC");
    app.add_option("--repeat-row", o.behaviour.repeatRow, "hold this row (from 1) twice");
    app.add_option("--hole", o.holes,
                   "ROW:COLUMN, a cell the table does not hold (row from 1, column 2 to 7; repeatable)");
    app.add_option("--cell", o.cells,
                   "ROW:COLUMN:TYPE:VALUE, a cell of the client table (row from 1, column 2 MAC to 7 SSID index) "
                   "with a value of any type, TYPE and VALUE as snmpset takes them, e.g. 2:5:s:strong or 1:2:x:0102 "
                   "(repeatable)");
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// "NAME[:AUTH:PASS[:PRIV:PASS]]" with passwords that the USM takes: Net-SNMP
// would only log a shorter one and leave the user out.
bool CheckUser(const std::string& user, std::string* error)
{
    const std::vector<std::string> parts = Split(user, ':');
    if (parts.size() != 1 && parts.size() != 3 && parts.size() != 5) {
        *error = "--user " + user + ": not NAME[:AUTH:AUTHPASSWORD[:PRIV:PRIVPASSWORD]]";
        return false;
    }
    for (size_t i = 2; i < parts.size(); i += 2) {
        if (parts[i].size() < USM_LENGTH_P_MIN) {
            *error =
                "--user " + user + ": a password needs " + std::to_string(USM_LENGTH_P_MIN) + " characters or more";
            return false;
        }
    }
    return true;
}

// createUser and rwuser lines for a user that CheckUser accepted.
void RememberUser(const std::string& user)
{
    const std::vector<std::string> parts = Split(user, ':');
    std::string create = "createUser " + parts[0];
    for (size_t i = 1; i < parts.size(); i += 2)
        create += " " + parts[i] + " \"" + parts[i + 1] + "\"";
    const char* level = parts.size() == 5 ? "priv" : parts.size() == 3 ? "auth" : "noauth";
    std::string access = "rwuser " + parts[0] + " " + level;
    netsnmp_config_remember(&create[0]);
    netsnmp_config_remember(&access[0]);
}

// "ROW:COLUMN:TYPE:VALUE" into a cell, the value encoded by Net-SNMP as
// snmpset would send it.
bool ParseCell(const std::string& text, CApSimCell* cell, std::string* error)
{
    std::vector<std::string> parts = Split(text, ':');
    if (parts.size() > 4) {
        for (size_t i = 4; i < parts.size(); ++i)
            parts[3] += ":" + parts[i];
        parts.resize(4);
    }
    *error = "--cell " + text +
             ": not ROW:COLUMN:TYPE:VALUE with a row from 1, a column from 2 to 7 and a value of "
             "the type";
    if (parts.size() != 4 || parts[2].size() != 1)
        return false;
    cell->row = std::atoi(parts[0].c_str());
    cell->column = std::atoi(parts[1].c_str());
    if (cell->row < 1 || cell->column < 2 || cell->column > 7)
        return false;
    netsnmp_pdu* scratch = snmp_pdu_create(SNMP_MSG_SET);
    const oid name[] = {0, 0};
    const bool made = snmp_add_var(scratch, name, OID_LENGTH(name), parts[2][0], parts[3].c_str()) == 0;
    if (made) {
        const netsnmp_variable_list* vb = scratch->variables;
        cell->type = vb->type;
        cell->value.assign(reinterpret_cast<const char*>(vb->val.string), vb->val_len);
    }
    snmp_free_pdu(scratch);
    return made;
}

// The agent reads no configuration file and keeps no state: its
// communities and users come from the command line.
void StartAgent(const COptions& options, const std::string& stateFolder)
{
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_CONFIG_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_string(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_PERSISTENT_DIR, stateFolder.c_str());
    setenv("MIBS", "", 1);
    snmp_enable_stderrlog();
    init_agent(kApplication);
    init_vacm_conf();
    std::string ro = "rocommunity \"" + options.readCommunity + "\"";
    std::string rw = "rwcommunity \"" + options.writeCommunity + "\"";
    netsnmp_config_remember(&ro[0]);
    netsnmp_config_remember(&rw[0]);
    for (const std::string& user : options.users)
        RememberUser(user);
    init_snmp(kApplication);
}

bool LoadClients(const COptions& options, std::vector<CApClient>* clients, std::string* error)
{
    if (!options.clientsCsv.empty())
        return ReadClientsCsv(options.clientsCsv, clients, error);
    *clients = options.generate >= 0 ? GeneratedClients(options.generate, options.seed) : SampleClients();
    return true;
}

// "a.b.c.d:port" and the count-1 addresses after a.b.c.d.
bool ExpandAddresses(const std::string& first, int count, std::vector<std::string>* addresses, std::string* error)
{
    const CAddressPort split = SplitAddressPort(first);
    in_addr ip{};
    if (!split.hasPort || !split.valid || split.bracketed || inet_pton(AF_INET, split.address.c_str(), &ip) != 1) {
        *error = "--listen " + first + ": not ADDRESS:PORT";
        return false;
    }
    const std::string port = ":" + std::to_string(split.port);
    for (int i = 0; i < count; ++i) {
        in_addr next{};
        next.s_addr = htonl(ntohl(ip.s_addr) + static_cast<uint32_t>(i));
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &next, text, sizeof text);
        addresses->push_back(text + port);
    }
    return true;
}

// Port 0 picks a free port for the first address that asks for one; the
// later ones take the same port, as the access points of one network do.
bool ListenOnAll(CApSimTransports& transports, const std::vector<std::string>& addresses, std::string* error)
{
    std::string freePort;
    for (const std::string& address : addresses) {
        const size_t colon = address.rfind(':');
        const bool any = address.substr(colon + 1) == "0";
        const std::string wanted = any && !freePort.empty() ? address.substr(0, colon + 1) + freePort : address;
        std::string bound;
        if (!transports.Listen(wanted, &bound, error))
            return false;
        if (any && freePort.empty())
            freePort = bound.substr(bound.rfind(':') + 1);
        printf("listening on %s\n", bound.c_str());
    }
    return true;
}

int Fail(const std::string& error, int status = 1)
{
    fprintf(stderr, "krw6180-apsim: %s\n", error.c_str());
    return status;
}

const int kUsageStatus = 2;

bool ParseHoles(COptions& options, std::string* error)
{
    for (const std::string& text : options.holes) {
        const std::vector<std::string> parts = Split(text, ':');
        const int row = parts.size() == 2 ? std::atoi(parts[0].c_str()) : 0;
        const int column = parts.size() == 2 ? std::atoi(parts[1].c_str()) : 0;
        if (row < 1 || column < 2 || column > 7) {
            *error = "--hole " + text + ": not ROW:COLUMN with a row from 1 and a column from 2 to 7";
            return false;
        }
        options.behaviour.holes.emplace_back(row, column);
    }
    return true;
}

// What the command line asks for that CLI11 cannot check; the addresses to
// listen on into *addresses. False with the reason.
bool CheckUsage(COptions& options, std::vector<std::string>* addresses, std::string* error)
{
    for (const std::string& user : options.users)
        if (!CheckUser(user, error))
            return false;
    for (const std::string& first : options.listen)
        if (!ExpandAddresses(first, options.addresses, addresses, error))
            return false;
    return ParseHoles(options, error);
}

}  // namespace

int main(int argc, char** argv)
{
    RaiseDescriptorLimit();
    CLI::App app{"A simulated KRW-6180 access point: an SNMPv1/v2c/v3 agent serving its client information.",
                 kApplication};
    app.set_version_flag("--version", std::string(kApplication) + " " KRW_VERSION);
    COptions options;
    AddOptions(app, options);
    app.footer("Exit status: 0 stopped by SIGTERM or SIGINT, 1 cannot start (e.g. a port that is taken), 2 bad "
               "usage.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        if (e.get_exit_code() != 0)
            return 2;
        return CloseOutput(stdout, "krw6180-apsim") ? status : 1;  // the help may have been lost
    }

    std::string error;
    std::vector<std::string> addresses;
    if (!CheckUsage(options, &addresses, &error))
        return Fail(error, kUsageStatus);
    std::vector<CApClient> clients;
    if (!LoadClients(options, &clients, &error))
        return Fail(error);
    {
        const CNetSnmpStateFolder stateFolder("krw6180-apsim");
        if (stateFolder.Path().empty())
            return Fail("cannot make a state folder");
        StartAgent(options, stateFolder.Path());
    }
    // Net-SNMP encodes the cells' values, once it has started.
    for (const std::string& text : options.cells) {
        options.behaviour.cells.emplace_back();
        if (!ParseCell(text, &options.behaviour.cells.back(), &error))
            return Fail(error, kUsageStatus);
    }
    CApSimTransports transports(options.wire);
    CApSimMib mib(clients, options.behaviour);
    if (!mib.Register())
        return Fail("cannot register the access point's objects");
    if (pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return Fail("cannot make a pipe");
    register_readfd(g_stopPipe[0], OnStopPipe, nullptr);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    // Whoever reads the announcements may stop reading; that is no reason to end.
    std::signal(SIGPIPE, SIG_IGN);
    if (!ListenOnAll(transports, addresses, &error))
        return Fail(error);
    fflush(stdout);

    while (!g_stopping)
        agent_check_and_process(1);
    snmp_shutdown(kApplication);
    return 0;
}
