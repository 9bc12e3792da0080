#include "exporter/ExporterOptions.h"

#include "tools/cli/CliAddress.h"

#include <CLI/CLI.hpp>

namespace {

void AddServerOptions(CLI::App& app, CExporterOptions& o)
{
    app.add_option("--web.config.file", o.webConfigFile,
                   "TLS and basic authentication, in the web configuration file format of Prometheus' exporters; "
                   "read at the start only")
        ->type_name("PATH");
    app.add_option("--web.max-connections", o.maxConnections,
                   "HTTP connections open at once; more are closed at once (default 4096)")
        ->type_name("N")
        ->check(CLI::Range(1, 60000));
    app.add_option("--web.max-connections-per-address", o.maxConnectionsPerAddress,
                   "HTTP connections open at once from one client address (default 1024)")
        ->type_name("N")
        ->check(CLI::Range(1, 60000));
    app.add_option("--web.read-timeout", o.readTimeoutSeconds,
                   "seconds a connection has to send a whole request, from its opening or its last answer, and "
                   "the longest it may stay idle (default 30)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 3600));
    app.add_option("--history.limit", o.historyLimit, "probes the landing page lists (default 100)")
        ->type_name("N")
        ->check(CLI::Range(0, 10000));
}

void AddLogOptions(CLI::App& app, std::string& level, std::string& format)
{
    app.add_option("--log.level", level, "debug, info, warn or error (default info)")
        ->type_name("LEVEL")
        ->check(CLI::IsMember({"debug", "info", "warn", "error"}));
    app.add_option("--log.format", format, "logfmt or json, on standard error (default logfmt)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"logfmt", "json"}));
}

void AddOptions(CLI::App& app, CExporterOptions& o, std::string& listen)
{
    app.add_option("--web.listen-address", listen,
                   "ADDRESS:PORT to serve HTTP on (default 127.0.0.1:9180; \":9180\" listens on every IPv4 "
                   "address, \"[::]:9180\" on every address; port 0 picks a free one)")
        ->type_name("ADDRESS:PORT");
    AddServerOptions(app, o);
    app.add_option("--config.file", o.configFile,
                   "the SNMP profiles (auths:), each probe choosing one by its auth parameter; keys a profile "
                   "leaves out take the values of -c, -w, -p and -t. Read again on SIGHUP and POST /-/reload")
        ->type_name("PATH");
    AddPluginOptions(app, o);
    app.footer("The options -c and -w show the communities to every local user: keep them in --config.file, "
               "readable only by the exporter.\n\n"
               "Exit status: 0 stopped by SIGTERM or SIGINT, 1 cannot listen or the HTTP server failed, 2 bad "
               "usage, a bad configuration file or no plug-in.");
}

}  // namespace

bool ListenAddressOf(const std::string& text, std::string* host, int* port)
{
    const CAddressPort split = SplitAddressPort(text);
    if (!split.hasPort || !split.valid)
        return false;
    *host = split.address.empty() ? "0.0.0.0" : split.address;
    *port = split.port;
    return true;
}

int ParseExporterOptions(int argc, char** argv, CExporterOptions* o)
{
    CLI::App app{"Answers Prometheus' probes of KRW-6180 access points with their wireless clients, read through the "
                 "client-information plug-in.\n\n"
                 "Endpoints:\n\n"
                 "  GET /probe?target=ADDRESS[&auth=NAME]\n"
                 "      one retrieval of that access point, with the SNMP profile NAME (default \"default\"),\n"
                 "      as metrics\n\n"
                 "  GET /metrics\n"
                 "      the exporter's own metrics\n\n"
                 "  GET /\n"
                 "      a probe form and the last probes, each with a link to its output (GET /history?id=N)\n\n"
                 "  POST /-/reload\n"
                 "      reads --config.file again, as SIGHUP does\n",
                 "krw6180-exporter"};
    app.set_version_flag("--version", "krw6180-exporter " KRW_VERSION);
    std::string listen = "127.0.0.1:9180";
    std::string level = "info";
    std::string format = "logfmt";
    AddOptions(app, *o, listen);
    AddLogOptions(app, level, format);
    try {
        app.parse(argc, argv);
        ParseLogLevel(level, &o->logLevel);
        ParseLogFormat(format, &o->logFormat);
        if (!ListenAddressOf(listen, &o->listenHost, &o->listenPort))
            throw CLI::ValidationError("--web.listen-address", "ADDRESS:PORT, :PORT or [IPV6]:PORT, port 0 to 65535");
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return e.get_exit_code() == 0 ? status : 2;
    }
    return -1;
}
