// Client-list retrievals over a network with a round trip: krw6180-apsim
// answers every request D ms late (D = 2 and 20), N access points of 20
// clients each (N = 1, 50, 200 and 1,000), listed by krw6180-clients in one
// round. Beside each, in the same run, the concurrent floor: retrieval-floor
// --concurrent, the same requests in the same order per access point, for
// all N at once, straight on Net-SNMP. Prints per case, best of three: the
// round's time (without the programs' start), that time against one access
// point's, the ratio to the floor, the host's peak memory and the longest
// the host's thread was busy with one message, which is how long a host's
// windows would stand still. Then the peer, gosnmp-peer (the same requests
// in Go, a goroutine per access point), against krw6180-clients, both timed
// as whole programs, their start included, as a user sees them, and the CPU
// (user and system) per request of krw6180-clients and of the floor, both
// whole programs, the least of the three. Goals: N
// access points within 1.5x of one up to 1,000 at 2 ms, within 1.3x of the
// floor, at most 0.8x the peer at 200 and 1,000, CPU per request at most
// 1.3x the floor's, at most 60 MB at 1,000, and no message longer than 5 ms.
//
// Usage: latency-bench [AGENTS]   (krw6180-apsim processes the addresses are spread over; default 1)

#include "bench/BenchPrograms.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using krwbench::CTimed;

const int kRounds = 3;
const int kClients = 20;
// Five seconds per attempt: queues at the agents must not end in time-outs.
const char kBudget[] = "1000";
// The gosnmp peer, when Go and gosnmp were there when the benchmarks were
// configured.
#ifdef KRW_GOSNMP_PEER_PROGRAM
const bool kPeer = true;
#define KRW_PEER_PROGRAM KRW_GOSNMP_PEER_PROGRAM
#else
const bool kPeer = false;
#define KRW_PEER_PROGRAM ""
#endif

struct CCase {
    double hostSeconds = 1e9;
    double hostProgramSeconds = 1e9;  // the whole program, its start included
    double peerSeconds = 1e9;         // likewise
    double floorSeconds = 1e9;
    double hostCpuSeconds = 1e9;  // user and system, the least of the rounds
    double floorCpuSeconds = 1e9;
    double longestDispatchMs = 0;
    long peakKb = 0;
    int hostRows = 0;
    int floorRows = 0;
};

// The round's time, rows and longest message from krw6180-clients --stats.
bool ReadHost(const CTimed& run, CCase& c)
{
    krwbench::CHostRoundStats round;
    if (!krwbench::ReadHostRound(run, &round))
        return false;
    c.hostProgramSeconds = std::min(c.hostProgramSeconds, run.seconds);
    c.hostCpuSeconds = std::min(c.hostCpuSeconds, run.cpuSeconds);
    if (round.seconds < c.hostSeconds) {
        c.hostSeconds = round.seconds;
        c.longestDispatchMs = round.longestDispatchMs;
        c.peakKb = run.peakKb;
        c.hostRows = static_cast<int>(round.clients);
    }
    return true;
}

void ReadFloor(const CTimed& run, CCase& c)
{
    int rows = 0;
    double seconds = 0;
    if (sscanf(run.out.c_str(), "%d %lf", &rows, &seconds) != 2)
        return;
    c.floorCpuSeconds = std::min(c.floorCpuSeconds, run.cpuSeconds);
    if (seconds < c.floorSeconds) {
        c.floorSeconds = seconds;
        c.floorRows = rows;
    }
}

// The peer's whole run, when it read every row.
void ReadPeer(const CTimed& run, int rows, CCase& c)
{
    int read = 0;
    double seconds = 0;
    if (sscanf(run.out.c_str(), "%d %lf", &read, &seconds) == 2 && read == rows)
        c.peerSeconds = std::min(c.peerSeconds, run.seconds);
}

CCase Measure(int delayMs, int accessPoints, int processes, const std::string& folder)
{
    krwbench::CAgents agents(accessPoints, kClients, delayMs, processes);
    CCase c;
    if (agents.Port() == 0) {
        fprintf(stderr, "cannot start krw6180-apsim\n");
        return c;
    }
    const std::string port = std::to_string(agents.Port());
    std::vector<std::string> host{KRW_CLIENTS_PROGRAM, "-p", port, "-t", kBudget, "-f", "csv", "--stats"};
    std::vector<std::string> floor{KRW_FLOOR_PROGRAM, "-t", kBudget, "--concurrent", port};
    std::vector<std::string> peer{KRW_PEER_PROGRAM, "-t", kBudget, port};
    for (const std::string& address : krwbench::LoopbackAddresses(accessPoints)) {
        host.push_back(address);
        floor.push_back(address);
        peer.push_back(address);
    }
    for (int round = 0; round < kRounds; ++round) {
        ReadFloor(krwbench::RunAll({floor}, folder), c);
        if (!ReadHost(krwbench::RunAll({host}, folder), c))
            fprintf(stderr, "krw6180-clients printed no statistics\n");
        if (kPeer)
            ReadPeer(krwbench::RunAll({peer}, folder), accessPoints * kClients, c);
    }
    return c;
}

// Per access point: the refresh set, then a get-next and a band get for
// every row and for the step past the table's end.
double MicrosecondsPerRequest(double cpuSeconds, int accessPoints)
{
    return cpuSeconds * 1e6 / (accessPoints * (1 + 2 * (kClients + 1)));
}

}  // namespace

int main(int argc, char** argv)
{
    const int processes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const auto folder = krwtest::MakeScratchFolder("krw-latency-bench-");
    printf("client-list retrievals of 20 clients per access point, one round, best of %d, %d krw6180-apsim:\n", kRounds,
           processes);
    printf("%6s %6s %9s %8s %9s %8s %8s %10s %10s %9s %7s %8s %8s %7s\n", "delay", "APs", "host s", "x 1 AP", "floor s",
           "x floor", "peak MB", "longest ms", "program s", "peer s", "x peer", "host us", "floor us", "x cpu");
    for (int delayMs : {2, 20}) {
        double one = 0;
        for (int accessPoints : {1, 50, 200, 1000}) {
            const CCase c = Measure(delayMs, accessPoints, processes, folder.string());
            if (accessPoints == 1)
                one = c.hostSeconds;
            const bool complete = c.hostRows == accessPoints * kClients && c.floorRows == accessPoints * kClients;
            const double hostUs = MicrosecondsPerRequest(c.hostCpuSeconds, accessPoints);
            const double floorUs = MicrosecondsPerRequest(c.floorCpuSeconds, accessPoints);
            printf("%4d ms %6d %9.3f %8.2f %9.3f %8.2f %8.1f %10.1f %10.3f %9.3f %7.2f %8.1f %8.1f %7.2f%s%s\n",
                   delayMs, accessPoints, c.hostSeconds, c.hostSeconds / one, c.floorSeconds,
                   c.hostSeconds / c.floorSeconds, c.peakKb / 1024.0, c.longestDispatchMs, c.hostProgramSeconds,
                   c.peerSeconds, c.hostProgramSeconds / c.peerSeconds, hostUs, floorUs, hostUs / floorUs,
                   complete ? "" : "  (rows missing!)",
                   !kPeer                 ? "  (no gosnmp peer built)"
                   : c.peerSeconds >= 1e9 ? "  (the peer missed rows)"
                                          : "");
            fflush(stdout);
        }
    }
    krwtest::RemoveScratchFolder(folder);
    return 0;
}
