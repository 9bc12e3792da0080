// krw6180-exporter: answers Prometheus' probes of KRW-6180 access points. The
// plug-in's message loop runs on the main thread, as a management host runs
// it; the HTTP server's event thread hands probes to it and answers each
// when its report comes. SIGHUP reads the configuration file again; SIGTERM
// and SIGINT stop the server, answer the probes still waiting and end the
// program.
//
// Exit status: 0 stopped by a signal, 1 cannot listen or the server failed,
// 2 bad usage, a bad configuration file or no plug-in.

#include "exporter/ExporterAuths.h"
#include "exporter/ExporterOptions.h"
#include "exporter/ExporterProbes.h"
#include "exporter/ExporterReloads.h"
#include "exporter/ExporterServer.h"
#include "exporter/ExporterWebConfig.h"
#include "hostlib/HostCallback.h"
#include "hostlib/HostMessageLoop.h"
#include "hostlib/HostPlugin.h"
#include "platform/Afx.h"
#include "platform/posix/Descriptors.h"
#include "tools/cli/CliOutput.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

const char kProgram[] = "krw6180-exporter";
// How often waits that are over and names resolved are looked at: a probe
// is answered at most this late after its deadline.
const UINT kSweepMs = 50;
// How often connections past their time are shut down.
const UINT kTidyMs = 1000;

sigset_t HandledSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// Waits for signals: SIGHUP asks for a reload, a stop signal ends the loop
// thread's message loop.
void AwaitSignals(DWORD loopThread, CExporterReloads& reloads)
{
    const sigset_t set = HandledSignals();
    int signal = 0;
    while (sigwait(&set, &signal) == 0 && signal == SIGHUP)
        reloads.Request(nullptr);
    ::PostThreadMessage(loopThread, WM_QUIT, 0, 0);
}

CSnmpProfile BaseProfile(const CExporterOptions& options)
{
    CSnmpProfile base;
    base.readCommunity = options.readCommunity;
    base.writeCommunity = options.writeCommunity;
    base.port = options.port;
    base.timeout = options.timeout;
    return base;
}

// The profiles of the configuration file, or the command line's alone.
bool LoadProfiles(const CExporterOptions& options, CSnmpProfiles* profiles, std::string* error)
{
    if (options.configFile.empty()) {
        *profiles = {{"default", BaseProfile(options)}};
        return true;
    }
    return LoadSnmpProfiles(options.configFile, BaseProfile(options), profiles, error);
}

class CExporter {
public:
    CExporter(const CExporterOptions& options, CExporterLog& log, CPluginCalls plugin, CSnmpProfiles profiles,
              CServerSettings settings)
        : options(options),
          log(log),
          loopThread(::GetCurrentThreadId()),
          probes(loopThread, plugin, std::move(profiles)),
          reloads(loopThread),
          tls(settings.web.tls.enabled),
          server(probes, stats, log, std::move(settings),
                 [this](CExporterReloads::CDone done) { return reloads.Request(std::move(done)); })
    {
        SetReportHandler([this](const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                                uint32_t context) { probes.Take(result, count, entries, context); });
    }
    ~CExporter() { SetReportHandler(nullptr); }

    int Run()
    {
        std::string error;
        if (!server.Start(&error)) {
            fprintf(stderr, "%s: cannot listen on %s:%d: %s\n", kProgram, options.listenHost.c_str(),
                    options.listenPort, error.c_str());
            return 1;
        }
        std::thread signals(AwaitSignals, loopThread, std::ref(reloads));
        printf("listening on %s:%d\n", options.listenHost.c_str(), server.Port());
        fflush(stdout);
        log.Write(
            CLogLevel::info, "listening",
            {{"address", options.listenHost + ":" + std::to_string(server.Port())}, {"tls", tls ? "true" : "false"}});
        RunMessages();
        log.Write(CLogLevel::info, "stopping");
        probes.Close("the exporter is stopping");
        reloads.Close("the exporter is stopping");
        server.Stop();
        // The loop may have ended otherwise than by a stop signal.
        ::pthread_kill(signals.native_handle(), SIGTERM);
        signals.join();
        return 0;
    }

    // Retrievals the plug-in still runs, whose end the unload would wait for.
    size_t Running() const { return probes.Running(); }

private:
    void RunMessages()
    {
        CHostMessageLoop loop;
        loop.OnThreadMessage(CExporterProbes::kMessage, [this] { probes.StartSubmitted(CProbeClock::now()); });
        loop.OnThreadMessage(CExporterReloads::kMessage,
                             [this] { reloads.Run([this](std::string* why) { return Reload(why); }); });
        loop.Every(kSweepMs, [this] { probes.Sweep(CProbeClock::now()); });
        loop.Every(kTidyMs, [this] { server.Tidy(); });
        loop.Run(CHostMessageLoop::kUnbounded);
    }

    bool Reload(std::string* why)
    {
        CSnmpProfiles profiles;
        const bool loaded = LoadProfiles(options, &profiles, why);
        ++(loaded ? stats.reloads : stats.failedReloads);
        stats.lastReloadFailed = !loaded;
        if (!loaded) {
            log.Write(CLogLevel::error, "the configuration file was not reloaded; the last one stays",
                      {{"reason", *why}});
            return false;
        }
        log.Write(CLogLevel::info, "configuration file reloaded", {{"profiles", std::to_string(profiles.size())}});
        probes.SetProfiles(std::move(profiles));
        return true;
    }

    const CExporterOptions& options;
    CExporterLog& log;
    const DWORD loopThread;
    CExporterStats stats;
    CExporterProbes probes;
    CExporterReloads reloads;
    const bool tls;
    CExporterServer server;
};

int Fail(int status, const std::string& error)
{
    fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return status;
}

CServerSettings ServerSettings(const CExporterOptions& options, CWebConfig web)
{
    CServerSettings settings;
    settings.host = options.listenHost;
    settings.port = options.listenPort;
    settings.limits.total = options.maxConnections;
    settings.limits.perAddress = options.maxConnectionsPerAddress;
    settings.limits.receiveTime = std::chrono::seconds(options.readTimeoutSeconds);
    settings.historyLimit = options.historyLimit;
    settings.web = std::move(web);
    return settings;
}

}  // namespace

int main(int argc, char** argv)
{
    CExporterOptions options;
    const int usage = ParseExporterOptions(argc, argv, &options);
    if (usage >= 0)
        return CloseOutput(stdout, kProgram) ? usage : 1;  // the help may have been lost
    CExporterLog log(options.logLevel, options.logFormat);
    CWebConfig web;
    CSnmpProfiles profiles;
    std::string error;
    if (!options.webConfigFile.empty() && !LoadWebConfig(options.webConfigFile, &web, &error))
        return Fail(2, error);
    if (!LoadProfiles(options, &profiles, &error))
        return Fail(2, error);
    RaiseDescriptorLimit();
    // Every thread leaves the signals to the one that waits for them.
    const sigset_t signals = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    MSG msg;
    ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before others post to it
    CHostPlugin plugin;
    if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath(ProgramFolder()) : options.plugin, &error))
        return Fail(2, error);
    size_t running = 0;
    int status = 0;
    {
        CExporter exporter(options, log, {plugin.setSnmpParameter, plugin.getClientInfo}, std::move(profiles),
                           ServerSettings(options, std::move(web)));
        status = exporter.Run();
        running = exporter.Running();
    }
    // The plug-in's unload waits for the requests still out, up to their
    // time budget: a stop signal must not wait that long.
    if (running > 0) {
        fflush(stdout);
        std::_Exit(status);
    }
    plugin.Unload();
    return status;
}
