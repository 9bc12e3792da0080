#include "tests/support/ApSimAgent.h"

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace krwtest {

namespace {

const auto kStartWait = std::chrono::seconds(15);
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
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> argv{KRW_APSIM_PROGRAM, "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), options.begin(), options.end());
    pid = Spawn(argv, EnvironmentWith({}), -1, out[1], 2);
    close(out[1]);
    std::string line;
    const bool announced = pid > 0 && ReadLine(out[0], &line, kStartWait) && line.rfind(kListening, 0) == 0;
    close(out[0]);
    if (announced)
        port = static_cast<unsigned short>(std::atoi(line.c_str() + sizeof kListening - 1));
    if (port != 0)
        return true;
    *error = std::string("cannot start ") + KRW_APSIM_PROGRAM;
    Stop();
    return false;
}

void CApSimAgent::Stop()
{
    StopChild(pid, kStopWait);
    pid = -1;
    port = 0;
}

}  // namespace krwtest
