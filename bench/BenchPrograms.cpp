#include "bench/BenchPrograms.h"

#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>

namespace krwbench {

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
        if (child > 0 && wait4(child, &status, 0, &usage) == child)
            timed.peakKb = std::max(timed.peakKb, usage.ru_maxrss);
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

}  // namespace krwbench
