// krw6180-exporter: answers Prometheus' probes of KRW-6180 access points. The
// plug-in's message loop runs on the main thread, as a management host runs
// it; the HTTP server's threads hand probes to it and wait for the reports.
// SIGTERM and SIGINT stop the server, end the probes' waits and unload the
// plug-in.
//
// Exit status: 0 stopped by a signal, 1 cannot listen or the server failed,
// 2 bad usage or no plug-in.

#include "exporter/ExporterOptions.h"
#include "exporter/ExporterProbes.h"
#include "exporter/ExporterServer.h"
#include "host/HostPlugin.h"
#include "platform/Afx.h"
#include "platform/posix/Descriptors.h"
#include "tools/cli/CliOutput.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

namespace {

const char kProgram[] = "krw6180-exporter";
const UINT kSweepMs = 1000;

sigset_t StopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

// Waits for a stop signal and ends the loop thread's message loop.
void AwaitStop(DWORD loopThread)
{
    const sigset_t set = StopSignals();
    int signal = 0;
    sigwait(&set, &signal);
    ::PostThreadMessage(loopThread, WM_QUIT, 0, 0);
}

void RunMessages(CExporterProbes& probes)
{
    const UINT_PTR sweep = ::SetTimer(nullptr, 0, kSweepMs, nullptr);
    MSG msg;
    while (::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == CExporterProbes::kMessage)
            probes.StartSubmitted(CProbeClock::now());
        else if (msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == sweep)
            probes.Sweep(CProbeClock::now());
        else
            ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, sweep);
}

int Fail(int status, const std::string& error)
{
    fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return status;
}

int Serve(const CExporterOptions& options, CHostPlugin& plugin)
{
    plugin.SetParameters(options);
    CExporterProbes probes(::GetCurrentThreadId(), plugin.getClientInfo);
    SetCurrentProbes(&probes);
    CExporterStats stats;
    CExporterServer server(probes, stats);
    std::string error;
    if (!server.Bind(options.listenHost, options.listenPort, &error))
        return Fail(1,
                    "cannot listen on " + options.listenHost + ":" + std::to_string(options.listenPort) + ": " + error);
    printf("listening on %s:%d\n", options.listenHost.c_str(), server.Port());
    fflush(stdout);
    server.Start(::GetCurrentThreadId());
    std::thread stop(AwaitStop, ::GetCurrentThreadId());
    RunMessages(probes);
    probes.Close("the exporter is stopping");
    server.Stop();
    // The loop also ends when the server fails; the signal thread waits on.
    ::pthread_kill(stop.native_handle(), SIGTERM);
    stop.join();
    SetCurrentProbes(nullptr);
    if (server.Failed())
        return Fail(1, "the HTTP server stopped");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CExporterOptions options;
    const int usage = ParseExporterOptions(argc, argv, &options);
    if (usage >= 0)
        return CloseOutput(stdout, kProgram) ? usage : 1;  // the help may have been lost
    RaiseDescriptorLimit();
    // Every thread leaves the stop signals to the one that waits for them.
    const sigset_t stopSignals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    MSG msg;
    ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before others post to it
    CHostPlugin plugin;
    std::string error;
    if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath(ProgramFolder()) : options.plugin, &error))
        return Fail(2, error);
    const int status = Serve(options, plugin);
    plugin.Unload();
    return status;
}
