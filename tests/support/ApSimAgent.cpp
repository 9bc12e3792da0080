#include "tests/support/ApSimAgent.h"

#include "tests/support/ChildProcess.h"

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
    port = SpawnAnnouncingPort(argv, kListening, -1, &pid);
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
}

}  // namespace krwtest
