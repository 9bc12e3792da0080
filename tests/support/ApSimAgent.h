#pragma once

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace krwtest {

// krw6180-apsim on a free loopback port with the given options, stopped by
// its process id.
class CApSimAgent {
public:
    explicit CApSimAgent(std::vector<std::string> options = {});
    ~CApSimAgent();
    CApSimAgent(const CApSimAgent&) = delete;
    CApSimAgent& operator=(const CApSimAgent&) = delete;

    // Starts it and waits (bounded) until it listens; false with a reason.
    bool Start(std::string* error);
    void Stop();
    unsigned short Port() const { return port; }

    // With --log-requests: how many of the lines it has printed so far
    // start with prefix ("request get-next 1.3.6", "dropped "). Does not wait.
    int Logged(const std::string& prefix) { return printed.Count(prefix); }
    // Waits (within bound) until count such lines have come.
    bool WaitLogged(const std::string& prefix, int count, std::chrono::steady_clock::duration bound)
    {
        return printed.WaitFor(prefix, count, bound);
    }

private:
    std::vector<std::string> options;
    pid_t pid = -1;
    unsigned short port = 0;
    CChildLines printed;
};

// An access point with these options, started; a failure to start fails
// the test (the agent then has port 0).
std::unique_ptr<CApSimAgent> StartApSim(std::vector<std::string> options);

}  // namespace krwtest
