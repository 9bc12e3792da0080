// Client-list retrievals through krw6180-clients (the plug-in loaded as a
// management host loads it) against krw6180-apsim: one access point of 10,
// 100 and 1,000 clients, and 50 and 1,000 access points of 20 clients at once.
// Beside each, in the same run: the floor for the same SNMP work
// (retrieval-floor, the same requests straight on Net-SNMP's library) and,
// up to 50 access points, snmpwalk of the six columns. Prints the time per
// row (process start included, best of three), the ratios to the floor and
// the host's peak memory. Goals: a retrieval within 1.5x of the floor per
// row; many access points within 2x, 1,000 of them in under 50 MB.
//
// Usage: retrieval-bench

#include "bench/BenchPrograms.h"
#include "tests/support/ApSimAgent.h"
#include "tests/support/ScratchFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using krwbench::CTimed;
using krwbench::Keep;
using krwbench::Lines;
using krwbench::RunAll;

const char kEntry[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1";
const int kRounds = 3;
// snmpwalk runs one process per access point: not for a thousand of them.
const int kMostWalks = 50;

struct CComparison {
    CTimed host, floor, walk;
    int hostRows = 0, floorRows = 0, walkRows = 0;
};

CComparison Compare(unsigned short port, const std::vector<std::string>& addresses, bool withWalks,
                    const std::string& folder)
{
    std::vector<std::string> host{KRW_CLIENTS_PROGRAM, "-p", std::to_string(port), "-f", "csv"};
    std::vector<std::string> floor{KRW_FLOOR_PROGRAM, std::to_string(port)};
    std::vector<std::vector<std::string>> walks;
    for (const std::string& address : addresses) {
        host.push_back(address);
        floor.push_back(address);
        walks.push_back(
            {SNMPWALK_PROGRAM, "-v1", "-c", "public", "-On", "-Oq", address + ":" + std::to_string(port), kEntry});
    }
    CComparison c;
    for (int round = 0; round < kRounds; ++round) {
        Keep(c.floor, RunAll({floor}, folder));
        Keep(c.host, RunAll({host}, folder));
        if (withWalks)
            Keep(c.walk, RunAll(walks, folder));
    }
    c.hostRows = Lines(c.host.out) - 1;  // the csv header
    c.floorRows = std::atoi(c.floor.out.c_str());
    c.walkRows = Lines(c.walk.out) / 6;
    return c;
}

void Print(const char* what, const CComparison& c, int rows)
{
    const double floorPerRow = c.floor.seconds * 1e6 / std::max(c.floorRows, 1);
    const double hostPerRow = c.host.seconds * 1e6 / std::max(c.hostRows, 1);
    const double walkPerRow = c.walk.seconds * 1e6 / std::max(c.walkRows, 1);
    const bool walked = c.walk.seconds < 1e9;
    printf("%-28s floor %7.1f us/row (%.2f s)   krw6180-clients %7.1f us/row (%.2f s, %.2fx, peak %.1f MB)", what,
           floorPerRow, c.floor.seconds, hostPerRow, c.host.seconds, hostPerRow / floorPerRow, c.host.peakKb / 1024.0);
    if (walked)
        printf("   snmpwalk %7.1f us/row (%.2fx)", walkPerRow, walkPerRow / floorPerRow);
    printf("%s\n", c.hostRows == rows && c.floorRows == rows && (!walked || c.walkRows == rows)
                       ? ""
                       : "  (row counts differ!)");
    fflush(stdout);
}

void Measure(const char* what, std::vector<std::string> options, int accessPoints, int clients,
             const std::string& folder)
{
    options.insert(options.end(), {"--addresses", std::to_string(accessPoints), "--generate", std::to_string(clients)});
    krwtest::CApSimAgent agent(options);
    std::string error;
    if (!agent.Start(&error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    const std::vector<std::string> addresses = krwbench::LoopbackAddresses(accessPoints);
    const bool withWalks = accessPoints <= kMostWalks;
    Print(what, Compare(agent.Port(), addresses, withWalks, folder), accessPoints * clients);
}

}  // namespace

int main()
{
    const auto folder = krwtest::MakeScratchFolder("krw-retrieval-bench-");
    printf("client-list retrievals, best of %d, process start included (ratios: time per row against the floor's):\n",
           kRounds);
    for (int clients : {10, 100, 1000})
        Measure((std::to_string(clients) + " clients").c_str(), {}, 1, clients, folder.string());
    Measure("50 access points x 20", {}, 50, 20, folder.string());
    Measure("1000 access points x 20", {}, 1000, 20, folder.string());
    krwtest::RemoveScratchFolder(folder);
    return 0;
}
