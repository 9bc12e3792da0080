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
#include "host/HostRound.h"
#include "hostlib/HostCallback.h"
#include "hostlib/HostMessageLoop.h"
#include "hostlib/HostPlugin.h"
#include "platform/Afx.h"
#include "platform/posix/Descriptors.h"
#include "tools/cli/CliOutput.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

const UINT kProgressMs = 250;
const char kProgram[] = "krw6180-clients";
const int kMissingStatus = 3;

using Clock = std::chrono::steady_clock;

UINT Milliseconds(double seconds)
{
    return static_cast<UINT>(seconds * 1000.0 + 0.5);
}

int Worse(int a, int b)
{
    return a == kMissingStatus || b == kMissingStatus ? kMissingStatus : std::max(a, b);
}

void PrintStats(const CHostRound& round, int number, double seconds, double longestDispatchMs)
{
    size_t clients = 0;
    for (const CHostReport& report : round.Reports())
        clients += report.clients.size();
    fprintf(stderr, "krw6180-clients: round %d: %zu reports, %zu clients, %.3f s, longest dispatch %.1f ms\n", number,
            round.Reports().size(), clients, seconds, longestDispatchMs);
}

int RunRound(const CHostOptions& options, CHostPlugin& plugin, uint32_t firstContext, int number)
{
    const Clock::time_point start = Clock::now();
    CHostRound round(options.addresses, GroupHostAddresses(options.addresses), firstContext);
    SetReportHandler([&round](const HostResult* result, int32_t count, const HostClientEntry* const* entries,
                              uint32_t context) { round.Take(result, count, entries, context); });
    for (size_t i = 0; i < round.Targets().size(); ++i)
        plugin.getClientInfo(round.Targets()[i].address.c_str(), ForwardHostReport, 0, round.ContextOf(i));
    const bool progress = options.format == CHostFormat::table && ::isatty(STDOUT_FILENO);
    const size_t total = options.addresses.size();
    CHostMessageLoop loop;
    if (progress)
        loop.Every(kProgressMs, [&round, total] { ShowProgress(round, total, stdout); });
    loop.Run(Milliseconds(options.waitSeconds), [&round] { return round.Outstanding() == 0; });
    if (progress)
        ClearProgress(stdout);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    SetReportHandler(nullptr);
    PrintRound(round, options.format, options.waitSeconds, stdout, stderr);
    if (options.stats)
        PrintStats(round, number, seconds, loop.LongestDispatchMs());
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
            CHostMessageLoop().Run(Milliseconds(options.intervalSeconds));
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
