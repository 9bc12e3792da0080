#include "host/HostOptions.h"

#include "tools/cli/CliAddress.h"
#include "tools/cli/CliEscape.h"
#include "tools/cli/CliOptions.h"

#include <CLI/CLI.hpp>

namespace {

const std::vector<std::pair<std::string, CHostFormat>> kFormats = {{"table", CHostFormat::table},
                                                                   {"json", CHostFormat::json},
                                                                   {"csv", CHostFormat::csv}};

const double kLongestSeconds = 86400;

void AddOptions(CLI::App& app, CHostOptions& o)
{
    app.add_option("ADDRESS", o.addresses,
                   "access points: IPv4 addresses or host names, each with :PORT if that is the -p port");
    AddPluginOptions(app, o);
    AddNamedChoice(app, "-f,--format", o.format, kFormats,
                   "table (default), json (one document per round) or csv (lines end in LF, not CRLF)")
        ->type_name("FORMAT");
    app.add_option("--wait", o.waitSeconds,
                   "stop waiting for reports after this many seconds (default 60, at most 86400)")
        ->type_name("SECONDS")
        ->check(FiniteRange(0, kLongestSeconds));
    app.add_option("--repeat", o.repeat, "retrieve N times (default 1)")->type_name("N")->check(CLI::Range(1, 1000000));
    app.add_option("--interval", o.intervalSeconds, "seconds between retrievals (default 5, at most 86400)")
        ->type_name("SECONDS")
        ->check(FiniteRange(0, kLongestSeconds));
    app.add_flag("--stats", o.stats,
                 "after each round, print on standard error its reports, clients, time and the longest the "
                 "thread was busy with one message");
    app.add_flag("--demo", o.demo,
                 "start krw6180-apsim with its sample clients on a free loopback port, list its clients, stop it");
    app.footer(std::string("Exit status: 0 every access point reported its clients, 1 a report says the retrieval "
                           "failed or the output could not be written, 2 bad usage or no plug-in, 3 an access "
                           "point sent no report in time.\n\nIn table form and in messages, ") +
               kEscapeHelp);
}

// The plug-in asks every access point on one port: an ADDRESS:PORT is
// taken only when it names that port. An IPv6 address goes to the plug-in
// as given, which reports that it asks IPv4 addresses only.
void StripPorts(CHostOptions& o)
{
    for (std::string& address : o.addresses) {
        const CAddressPort split = SplitAddressPort(address);
        if (!split.hasPort || split.address.find(':') != std::string::npos)
            continue;
        if (!split.valid || split.port != o.port)
            throw CLI::ValidationError("ADDRESS", address + ": every access point is asked on the one port of -p (" +
                                                      std::to_string(o.port) +
                                                      "); give that port, or none, after the address");
        address = split.address;
    }
}

}  // namespace

int ParseHostOptions(int argc, char** argv, CHostOptions* o)
{
    CLI::App app{"Lists the wireless clients of KRW-6180 access points through the client-information plug-in.",
                 "krw6180-clients"};
    app.set_version_flag("--version", "krw6180-clients " KRW_VERSION);
    AddOptions(app, *o);
    try {
        app.parse(argc, argv);
        if (o->demo && !o->addresses.empty())
            throw CLI::ValidationError("--demo", "lists the simulated access point only: give no ADDRESS");
        if (o->demo && app.count("--port") > 0)
            throw CLI::ValidationError("--demo", "uses the simulated access point's port: give no --port");
        if (!o->demo && o->addresses.empty())
            throw CLI::ValidationError("ADDRESS", "at least one access point is needed (or --demo)");
        StripPorts(*o);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return e.get_exit_code() == 0 ? status : 2;
    }
    return -1;
}
