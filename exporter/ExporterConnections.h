#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>

// The HTTP server's connections: bounded in all and per client address, and
// each given a fixed time to deliver a whole request, counted from its
// opening or from its last answer, however slowly its bytes trickle in.
// A connection over a bound, or late with its request, is shut down: the
// server then sees it end and closes it at once.
class CExporterConnections {
public:
    using CClock = std::chrono::steady_clock;

    struct CLimits {
        size_t total = 4096;
        size_t perAddress = 1024;
        std::chrono::milliseconds receiveTime{30000};
    };

    explicit CExporterConnections(CLimits limits) : limits(limits) {}

    // The server's thread: a connection was opened on socket from address;
    // the key names it until Closed. False when it is over a bound, shut
    // down already.
    bool Opened(const void* key, int socket, const std::string& address, CClock::time_point now);
    void Closed(const void* key);
    // A whole request came: the time no longer runs while it is answered.
    void Received(const void* key);
    // Its answer went out: the time of the next request starts.
    void Answered(const void* key, CClock::time_point now);

    // Any thread: shuts down the connections late with their request.
    void ShutDownLate(CClock::time_point now);

    size_t Open() const { return open; }
    unsigned long long Rejected() const { return rejected; }
    unsigned long long TimedOut() const { return timedOut; }

private:
    struct CConnection {
        int socket;
        std::string address;
        bool receiving;
        CClock::time_point since;
    };

    const CLimits limits;
    std::mutex mutex;
    std::map<const void*, CConnection> connections;
    std::map<std::string, size_t> perAddress;
    std::atomic<size_t> open{0};
    std::atomic<unsigned long long> rejected{0};
    std::atomic<unsigned long long> timedOut{0};
};
