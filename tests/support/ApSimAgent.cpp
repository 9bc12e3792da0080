#include "tests/support/ApSimAgent.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>

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
    int output = -1;
    port = SpawnAnnouncingPort(argv, kListening, -1, &pid, &output);
    if (port != 0) {
        printed.Attach(output);
        return true;
    }
    *error = std::string("cannot start ") + KRW_APSIM_PROGRAM;
    return false;
}

void CApSimAgent::Stop()
{
    // First, so that an agent blocked on a full pipe of its log goes on.
    printed.Close();
    StopChild(pid, kStopWait);
    pid = -1;
    port = 0;
}

std::unique_ptr<CApSimAgent> StartApSim(std::vector<std::string> options)
{
    auto agent = std::make_unique<CApSimAgent>(std::move(options));
    std::string error;
    EXPECT_TRUE(agent->Start(&error)) << error;
    return agent;
}

}  // namespace krwtest
