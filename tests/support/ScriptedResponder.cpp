#include "tests/support/ScriptedResponder.h"

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace krwtest {

namespace {

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
    if (pipe2(in, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> argv{KRW_RESPONDER_PROGRAM};
    argv.insert(argv.end(), script.begin(), script.end());
    int output = -1;
    port = SpawnAnnouncingPort(argv, "port ", in[0], &pid, &output);
    close(in[0]);
    input = in[1];
    if (port != 0) {
        printed.Attach(output);
        return true;
    }
    *error = std::string("cannot start ") + KRW_RESPONDER_PROGRAM;
    Stop();
    return false;
}

void CScriptedResponder::Stop()
{
    // Its log first, so that a responder blocked on a full pipe goes on;
    // without its standard input it cleans up and ends by itself.
    printed.Close();
    if (input >= 0)
        close(input);
    input = -1;
    if (pid > 0)
        WaitForExit(pid, kStopWait);
    pid = -1;
    port = 0;
}

}  // namespace krwtest
