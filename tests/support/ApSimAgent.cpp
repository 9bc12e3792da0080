#include "tests/support/ApSimAgent.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace krwtest {

namespace {

const auto kStopWait = std::chrono::seconds(10);
const char kListening[] = "listening on 127.0.0.1:";

}  // namespace

CApSimAgent::CApSimAgent(std::vector<std::string> agentOptions) : options(std::move(agentOptions)) {}

CApSimAgent::~CApSimAgent()
{
    Stop();
}

bool CApSimAgent::Start(std::string* error)
{
    std::vector<std::string> argv{KRW_APSIM_PROGRAM, "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), options.begin(), options.end());
    port = SpawnAnnouncingPort(argv, kListening, -1, &pid, &output);
    if (port != 0)
        return true;
    *error = std::string("cannot start ") + KRW_APSIM_PROGRAM;
    return false;
}

void CApSimAgent::Stop()
{
    StopChild(pid, kStopWait);
    pid = -1;
    port = 0;
    if (output >= 0)
        close(output);
    output = -1;
}

int CApSimAgent::Logged(const std::string& prefix)
{
    char buffer[4096];
    pollfd p{output, POLLIN, 0};
    for (int i = 0; i < 1000 && output >= 0 && poll(&p, 1, 0) > 0; ++i) {
        const ssize_t n = read(output, buffer, sizeof buffer);
        if (n <= 0)
            break;
        printed.append(buffer, static_cast<size_t>(n));
    }
    int count = 0;
    for (size_t start = 0; start < printed.size();) {
        const size_t end = printed.find('\n', start);
        if (end == std::string::npos)
            break;
        count += printed.compare(start, prefix.size(), prefix) == 0 ? 1 : 0;
        start = end + 1;
    }
    return count;
}

std::unique_ptr<CApSimAgent> StartApSim(std::vector<std::string> options)
{
    auto agent = std::make_unique<CApSimAgent>(std::move(options));
    std::string error;
    EXPECT_TRUE(agent->Start(&error)) << error;
    return agent;
}

}  // namespace krwtest
