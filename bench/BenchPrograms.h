#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What the benchmarks that time whole programs share.
namespace krwbench {

// One timed run of one or more programs started at once.
struct CTimed {
    double seconds = 1e9;
    long peakKb = 0;        // the largest of the programs' peak resident sizes
    double cpuSeconds = 0;  // user and system time of all of them
    std::string out;        // their standard output, one after the other
    std::string errors;     // their standard error, likewise
};

// Runs the programs at once, with TMPDIR the folder (where their outputs go
// meanwhile) and MIBS empty, and waits for all of them.
CTimed RunAll(const std::vector<std::vector<std::string>>& programs, const std::string& folder);

// Keeps the faster of two runs in best.
void Keep(CTimed& best, const CTimed& run);

int Lines(const std::string& text);

// The first count addresses after 127.0.0.0, as krw6180-apsim --addresses
// serves them from 127.0.0.1 on: 127.0.0.255, 127.0.1.0, ...
std::vector<std::string> LoopbackAddresses(int count);

// What krw6180-clients --stats says of its first round.
struct CHostRoundStats {
    size_t reports = 0;
    size_t clients = 0;
    double seconds = 0;  // without the program's start
    double longestDispatchMs = 0;
};
bool ReadHostRound(const CTimed& run, CHostRoundStats* round);

// N access points of the given clients each, answering delayMs late,
// spread over a few krw6180-apsim processes on one port; stopped by their
// process ids.
class CAgents {
public:
    CAgents(int accessPoints, int clients, int delayMs, int processes);
    ~CAgents();
    CAgents(const CAgents&) = delete;
    CAgents& operator=(const CAgents&) = delete;

    // 0 when they could not be started.
    unsigned short Port() const { return port; }

private:
    std::vector<pid_t> pids;
    unsigned short port = 0;
};

}  // namespace krwbench
