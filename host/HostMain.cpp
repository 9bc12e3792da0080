// krw6180-clients: the reference management host. Loads the client-information
// plug-in as the management host does, starts one retrieval per access point
// (names of one address share it), runs the thread's message loop until every
// report has come or the wait is over, and prints the clients.
//
// Exit status: 0 every access point reported success, 1 a report failed or
// the output was lost, 3 an access point did not report in time, 2 bad usage
// or no plug-in.

#include "host/HostDemo.h"
#include "host/HostOptions.h"
#include "host/HostOutput.h"
#include "host/HostPlugin.h"
#include "host/HostReports.h"
#include "platform/Afx.h"
#include "platform/posix/Descriptors.h"
#include "tools/cli/CliOutput.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>

namespace {

const UINT kProgressMs = 250;
const char kProgram[] = "krw6180-clients";
const int kMissingStatus = 3;

using Clock = std::chrono::steady_clock;

// The longest one message kept the thread busy: for that long a host's
// windows would not have answered.
double g_longestDispatchMs = 0;

UINT Milliseconds(double seconds)
{
    return static_cast<UINT>(seconds * 1000.0 + 0.5);
}

// Runs the thread's message loop, which also carries the plug-in's work,
// until done() holds or the time is over; tick() runs every kProgressMs.
void RunMessages(const std::function<bool()>& done, double seconds, const std::function<void()>& tick)
{
    const UINT_PTR deadline = ::SetTimer(nullptr, 0, std::max<UINT>(Milliseconds(seconds), 1), nullptr);
    const UINT_PTR progress = tick ? ::SetTimer(nullptr, 0, kProgressMs, nullptr) : 0;
    MSG msg;
    while (!done() && ::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == deadline)
            break;
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == progress && progress != 0) {
            tick();
            continue;
        }
        const Clock::time_point start = Clock::now();
        ::DispatchMessage(&msg);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        g_longestDispatchMs = std::max(g_longestDispatchMs, ms);
    }
    if (progress != 0)
        ::KillTimer(nullptr, progress);
    ::KillTimer(nullptr, deadline);
}

int Worse(int a, int b)
{
    return a == kMissingStatus || b == kMissingStatus ? kMissingStatus : std::max(a, b);
}

void PrintStats(const CHostRound& round, int number, double seconds)
{
    size_t clients = 0;
    for (const CHostReport& report : round.Reports())
        clients += report.clients.size();
    fprintf(stderr, "krw6180-clients: round %d: %zu reports, %zu clients, %.3f s, longest dispatch %.1f ms\n", number,
            round.Reports().size(), clients, seconds, g_longestDispatchMs);
}

int RunRound(const CHostOptions& options, CHostPlugin& plugin, uint32_t firstContext, int number)
{
    const Clock::time_point start = Clock::now();
    g_longestDispatchMs = 0;
    CHostRound round(options.addresses, GroupHostAddresses(options.addresses), firstContext);
    SetCurrentHostRound(&round);
    for (size_t i = 0; i < round.Targets().size(); ++i)
        plugin.getClientInfo(round.Targets()[i].address.c_str(), CollectHostReport, 0, round.ContextOf(i));
    const bool progress = options.format == CHostFormat::table && ::isatty(STDOUT_FILENO);
    const size_t total = options.addresses.size();
    std::function<void()> tick;
    if (progress)
        tick = [&round, total] { ShowProgress(round, total, stdout); };
    RunMessages([&round] { return round.Outstanding() == 0; }, options.waitSeconds, tick);
    if (progress)
        ClearProgress(stdout);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    SetCurrentHostRound(nullptr);
    PrintRound(round, options.format, options.waitSeconds, stdout, stderr);
    if (options.stats)
        PrintStats(round, number, seconds);
    return round.ExitStatus();
}

int Run(const CHostOptions& options, CHostPlugin& plugin)
{
    plugin.SetParameters(options);
    if (options.format == CHostFormat::csv)
        PrintCsvHeader(stdout);
    int status = 0;
    const uint32_t perRound = static_cast<uint32_t>(options.addresses.size());
    // Output that can no longer be written ends the rounds.
    for (int r = 0; r < options.repeat && !ferror(stdout); ++r) {
        if (r > 0)
            RunMessages([] { return false; }, options.intervalSeconds, nullptr);
        status = Worse(status, RunRound(options, plugin, static_cast<uint32_t>(r) * perRound + 1, r + 1));
    }
    return status;
}

int Fail(const std::string& error)
{
    fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    RaiseDescriptorLimit();
    CHostOptions options;
    const int usage = ParseHostOptions(argc, argv, &options);
    if (usage >= 0)
        return CloseOutput(stdout, kProgram) ? usage : 1;  // the help may have been lost
    const std::string folder = ProgramFolder();
    std::string error;
    CDemoAccessPoint demo;
    if (options.demo) {
        if (!demo.Start(folder + "krw6180-apsim", &error))
            return Fail(error);
        options.addresses = {demo.Address()};
        options.port = demo.Port();
    }
    CHostPlugin plugin;
    if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath(folder) : options.plugin, &error))
        return Fail(error);
    const int status = Run(options, plugin);
    const int exitStatus = CloseOutput(stdout, kProgram) ? status : 1;
    if (status == kMissingStatus) {
        // Requests are still out, and the plug-in's unload would wait up to
        // 6 s for them: a host that has given up on them ends at once, with
        // its output written and the demo's agent stopped.
        demo.Stop();
        std::_Exit(exitStatus);
    }
    plugin.Unload();
    return exitStatus;
}
