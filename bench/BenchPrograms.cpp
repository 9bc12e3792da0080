#include "bench/BenchPrograms.h"

#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace krwbench {

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

CTimed RunAll(const std::vector<std::vector<std::string>>& programs, const std::string& folder)
{
    std::vector<pid_t> children;
    CTimed timed;
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < programs.size(); ++i) {
        const std::string name = folder + "/" + std::to_string(i);
        const int out = open((name + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int errors = open((name + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        children.push_back(
            krwtest::Spawn(programs[i], krwtest::EnvironmentWith({"MIBS=", "TMPDIR=" + folder}), -1, out, errors));
        close(out);
        close(errors);
    }
    for (pid_t child : children) {
        rusage usage{};
        int status = 0;
        if (child > 0 && wait4(child, &status, 0, &usage) == child) {
            timed.peakKb = std::max(timed.peakKb, usage.ru_maxrss);
            timed.cpuSeconds += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
        }
    }
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (size_t i = 0; i < programs.size(); ++i) {
        timed.out += Contents(folder + "/" + std::to_string(i) + ".out");
        timed.errors += Contents(folder + "/" + std::to_string(i) + ".err");
    }
    return timed;
}

void Keep(CTimed& best, const CTimed& run)
{
    if (run.seconds < best.seconds)
        best = run;
}

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::string> LoopbackAddresses(int count)
{
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i)
        addresses.push_back("127.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
    return addresses;
}

bool ReadHostRound(const CTimed& run, CHostRoundStats* round)
{
    const size_t at = run.errors.find("krw6180-clients: round 1:");
    return at != std::string::npos &&
           sscanf(run.errors.c_str() + at,
                  "krw6180-clients: round 1: %zu reports, %zu clients, %lf s, longest dispatch %lf ms", &round->reports,
                  &round->clients, &round->seconds, &round->longestDispatchMs) == 4;
}

CAgents::CAgents(int accessPoints, int clients, int delayMs, int processes)
{
    const std::vector<std::string> addresses = LoopbackAddresses(accessPoints);
    const int share = (accessPoints + processes - 1) / processes;
    for (int first = 0; first < accessPoints; first += share) {
        const int count = std::min(share, accessPoints - first);
        const std::string address = addresses[static_cast<size_t>(first)];
        pid_t pid = -1;
        const unsigned short bound = krwtest::SpawnAnnouncingPort(
            {KRW_APSIM_PROGRAM, "--listen", address + ":" + std::to_string(port), "--addresses", std::to_string(count),
             "--generate", std::to_string(clients), "--delay", std::to_string(delayMs)},
            "listening on " + address + ":", -1, &pid);
        pids.push_back(pid);
        port = bound;
        if (bound == 0)
            break;
    }
}

CAgents::~CAgents()
{
    for (pid_t pid : pids)
        krwtest::StopChild(pid, std::chrono::seconds(10));
}

}  // namespace krwbench
