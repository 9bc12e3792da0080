#pragma once

#include <string>

struct snmp_pdu;

// How the device behaves on the wire.
struct CApSimWire {
    int delayMs = 0;     // every answer goes out this late
    int stopAfter = -1;  // client table requests answered before the device falls silent; -1 all
    bool log = false;    // print every request on standard output
    int copies = 1;      // every answer goes out this many times
};

// The agent's listening sockets, one per address, with the two ways the
// simulated device can go wrong on the wire: every answer sent late or more
// than once, or no answer at all from some moment on.
class CApSimTransports {
public:
    explicit CApSimTransports(const CApSimWire& wire);
    CApSimTransports(const CApSimTransports&) = delete;
    CApSimTransports& operator=(const CApSimTransports&) = delete;

    // Opens "address:port" (port 0: any free one) for the agent; *bound
    // receives "address:port" with the real port. False with a reason.
    bool Listen(const std::string& address, std::string* bound, std::string* error);

    // Whether a parsed request is answered; logs it when asked to.
    bool Admit(const snmp_pdu& pdu);
    int DelayMs() const { return wire.delayMs; }
    int Copies() const { return wire.copies; }

private:
    CApSimWire wire;
    int tableRequests = 0;
    bool silent = false;
};
