#include "tests/support/ScriptedResponder.h"

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace krwtest {

namespace {

const auto kStartWait = std::chrono::seconds(15);
const auto kStopWait = std::chrono::seconds(10);

}  // namespace

CScriptedResponder::CScriptedResponder(std::vector<std::string> responderScript) : script(std::move(responderScript)) {}

CScriptedResponder::~CScriptedResponder()
{
    Stop();
}

bool CScriptedResponder::Start(std::string* error)
{
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return false;
    }
    std::vector<std::string> argv{KRW_RESPONDER_PROGRAM};
    argv.insert(argv.end(), script.begin(), script.end());
    pid = Spawn(argv, EnvironmentWith({}), in[0], out[1], 2);
    close(in[0]);
    close(out[1]);
    input = in[1];
    std::string line;
    const bool announced = pid > 0 && ReadLine(out[0], &line, kStartWait) && line.rfind("port ", 0) == 0;
    close(out[0]);
    if (announced)
        port = static_cast<unsigned short>(std::atoi(line.c_str() + 5));
    if (port != 0)
        return true;
    *error = std::string("cannot start ") + KRW_RESPONDER_PROGRAM;
    Stop();
    return false;
}

void CScriptedResponder::Stop()
{
    // Without its standard input it cleans up and ends by itself.
    if (input >= 0)
        close(input);
    input = -1;
    if (pid > 0)
        WaitForExit(pid, kStopWait);
    pid = -1;
    port = 0;
}

}  // namespace krwtest
