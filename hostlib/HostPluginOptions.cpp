#include "hostlib/HostPluginOptions.h"

void AddPluginOptions(CLI::App& app, CPluginOptions& o)
{
    app.add_option("-c,--community", o.readCommunity, "read community (default \"public\")")->type_name("TEXT");
    app.add_option("-w,--write-community", o.writeCommunity, "write community (default \"private\")")
        ->type_name("TEXT");
    app.add_option("-p,--port", o.port, "the agents' UDP port, one for all access points (default 161)")
        ->type_name("N")
        ->check(CLI::Range(1, 65535));
    app.add_option("-t,--timeout", o.timeout,
                   "time budget of one request in hundredths of a second, as the plug-in takes it (default 200)")
        ->type_name("N")
        ->check(CLI::Range(1, 360000));
    app.add_option("--plugin", o.plugin,
                   "the plug-in to load (default: libkrw6180plug.so, beside the program or where it is installed)")
        ->type_name("PATH");
}
