#include "exporter/ExporterOptions.h"

#include "tools/cli/CliAddress.h"

#include <CLI/CLI.hpp>

namespace {

void AddOptions(CLI::App& app, CExporterOptions& o, std::string& listen)
{
    app.add_option("--web.listen-address", listen,
                   "ADDRESS:PORT to serve HTTP on (default 127.0.0.1:9180; \":9180\" listens on every IPv4 "
                   "address, \"[::]:9180\" on every address; port 0 picks a free one)")
        ->type_name("ADDRESS:PORT");
    AddPluginOptions(app, o);
    app.footer("Exit status: 0 stopped by SIGTERM or SIGINT, 1 cannot listen or the HTTP server failed, 2 bad "
               "usage or no plug-in.");
}

}  // namespace

bool SplitListenAddress(const std::string& text, std::string* host, int* port)
{
    const size_t colon = text.rfind(':');
    const std::string digits = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (!AllDigits(digits) || digits.size() > 5)  // more digits than any port has
        return false;
    const int number = std::stoi(digits);
    std::string address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
        address = address.substr(1, address.size() - 2);
    else if (address.find(':') != std::string::npos)
        return false;
    if (number > 65535)
        return false;
    *host = address.empty() ? "0.0.0.0" : address;
    *port = number;
    return true;
}

int ParseExporterOptions(int argc, char** argv, CExporterOptions* o)
{
    CLI::App app{"Answers Prometheus' probes of KRW-6180 access points with their wireless clients, read through the "
                 "client-information plug-in.\n\n"
                 "GET /probe?target=ADDRESS   one retrieval of that access point, as metrics\n"
                 "GET /metrics                the exporter's own metrics\n"
                 "GET /                       a page linking both\n",
                 "krw6180-exporter"};
    app.set_version_flag("--version", "krw6180-exporter " KRW_VERSION);
    std::string listen = "127.0.0.1:9180";
    AddOptions(app, *o, listen);
    try {
        app.parse(argc, argv);
        if (!SplitListenAddress(listen, &o->listenHost, &o->listenPort))
            throw CLI::ValidationError("--web.listen-address", "ADDRESS:PORT, :PORT or [IPV6]:PORT, port 0 to 65535");
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return e.get_exit_code() == 0 ? status : 2;
    }
    return -1;
}
