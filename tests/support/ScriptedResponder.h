#pragma once

#include "tests/support/ChildProcess.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace krwtest {

// An SNMPv1/v2c agent on a free loopback port that answers every request as
// its script says (tests/agents/ScriptedResponder.cpp): late, several times,
// with another request id, as a report, with a given error status, with a
// given number of bindings, with a value of a type that does not exist, as a
// client table of some rows (or of rows without end), on several addresses,
// or not at all. Without a script it answers each binding with an integer.
// Stopped by its process id.
class CScriptedResponder {
public:
    // Options of krwtest-responder, e.g. {"--error-status", "99"}.
    explicit CScriptedResponder(std::vector<std::string> script);
    ~CScriptedResponder();
    CScriptedResponder(const CScriptedResponder&) = delete;
    CScriptedResponder& operator=(const CScriptedResponder&) = delete;

    // Starts it and waits (bounded) for its port; false with a reason.
    bool Start(std::string* error);
    void Stop();
    unsigned short Port() const { return port; }
    // With --log-requests: how many of the lines it has printed so far start
    // with prefix ("request get-next 1.3.6"). Does not wait.
    int Logged(const std::string& prefix) { return printed.Count(prefix); }

private:
    std::vector<std::string> script;
    CChildLines printed;
    pid_t pid = -1;
    int input = -1;  // its standard input; closing it ends the responder
    unsigned short port = 0;
};

}  // namespace krwtest
