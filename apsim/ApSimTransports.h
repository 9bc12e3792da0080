#pragma once

#include <string>

// The agent's listening sockets, one per address, with the two ways the
// simulated device can go wrong on the wire: every answer sent late, or no
// answer at all from some moment on.
class CApSimTransports {
public:
    // Answers go out delayMs late; 0 sends them at once.
    explicit CApSimTransports(int delayMs);
    CApSimTransports(const CApSimTransports&) = delete;
    CApSimTransports& operator=(const CApSimTransports&) = delete;

    // Opens "address:port" (port 0: any free one) for the agent; *bound
    // receives "address:port" with the real port. False with a reason.
    bool Listen(const std::string& address, std::string* bound, std::string* error);

    // Requests that arrive from now on are dropped unanswered.
    void Silence() { silent = true; }
    bool Silent() const { return silent; }
    int DelayMs() const { return delayMs; }

private:
    int delayMs;
    bool silent = false;
};
