#pragma once

#include <string>
#include <sys/types.h>

// The demo's access point: krw6180-apsim from the program's folder with its
// sample clients, on a free loopback port, stopped by its process id.
class CDemoAccessPoint {
public:
    CDemoAccessPoint() = default;
    ~CDemoAccessPoint();
    CDemoAccessPoint(const CDemoAccessPoint&) = delete;
    CDemoAccessPoint& operator=(const CDemoAccessPoint&) = delete;

    // Starts it and waits (at most 15 s) until it listens. False with the
    // reason in *error.
    bool Start(const std::string& program, std::string* error);
    void Stop();

    const char* Address() const { return "127.0.0.1"; }
    int Port() const { return port; }

private:
    pid_t pid = -1;
    int port = 0;
};
