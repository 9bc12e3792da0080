#pragma once

#include "snmplib/SnmpErrors.h"

#include "snmplib/Sockets.h"
#include <vector>

class Pdu;
class SnmpTarget;
class Snmp;

// Completion of an asynchronous request. reason is SNMP_CLASS_ASYNC_RESPONSE
// for a response (the agent's error status is in pdu), SNMP_CLASS_TIMEOUT when
// every attempt went unanswered, SNMP_CLASS_SESSION_DESTROYED when the Snmp
// object is deleted first, or the failure's own result (an SNMPv3 report or a
// security failure; pdu's error status then carries the same number).
typedef void (*snmp_callback)(int reason, Snmp* session, Pdu& pdu, SnmpTarget& target, void* data);

// One manager session. It sends to any number of agents; requests to one
// agent with one set of parameters share a socket, which is closed again when
// it has been idle for a while.
//
// Threads: one thread uses every Snmp object, SNMPProcessPendingEvents,
// SNMPGetPendingEvents, mpInit, mpFinish and usmAddUserName; nothing is
// locked, and callbacks run on that thread.
class Snmp {
public:
    // status receives SNMP_CLASS_SUCCESS when the session can be used. Only a
    // local port of 0 (any free port) is offered.
    Snmp(int& status, unsigned short port = 0, bool bind_ipv6 = false);
    // Completes every outstanding asynchronous request with
    // SNMP_CLASS_SESSION_DESTROYED, then closes every socket.
    ~Snmp();
    Snmp(const Snmp&) = delete;
    Snmp& operator=(const Snmp&) = delete;

    // Blocking requests: the response's variable bindings, error status and
    // error index are put into pdu. Result SNMP_CLASS_SUCCESS, the agent's
    // error status (1..18) when it reported one, or a failure result. No other
    // request's callback runs while they wait.
    int get(Pdu& pdu, const SnmpTarget& target);
    int get_next(Pdu& pdu, const SnmpTarget& target);
    int set(Pdu& pdu, const SnmpTarget& target);

    // Asynchronous requests: SNMP_CLASS_SUCCESS when sent; then callback is
    // called exactly once, from SNMPProcessPendingEvents or from ~Snmp. On any
    // other result no callback follows.
    int get(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data = nullptr);
    int get_next(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data = nullptr);
    int set(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data = nullptr);
    // The same, taking pdu instead of copying it when the request goes out;
    // on any other result pdu is left as it was.
    int get(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data = nullptr);
    int get_next(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback,
                 const void* callback_data = nullptr);
    int set(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data = nullptr);
};

// Handles the events that are ready on every Snmp object (responses,
// expired time-outs, due retransmissions) without waiting, and calls the
// callbacks of the requests that have finished, for a few milliseconds at
// most: what is left keeps the descriptor of SNMPGetPendingEvents readable
// for the next call, so that a message loop handles its other messages in
// between. Returns SNMP_CLASS_SUCCESS.
int SNMPProcessPendingEvents();

// For a message loop that wants to sleep until the library has work: adds to
// fds the descriptors to watch for input, one of which is readable whenever
// a response or other work has arrived, and returns the milliseconds until
// the next time-out or retransmission is due (-1: nothing is pending, 0:
// call SNMPProcessPendingEvents now). On Linux that is one descriptor, the
// same for the life of the process; on Windows the sessions' sockets and one
// of the library's own, which change as sessions come and go, so a loop
// asks again when SNMPPendingEventsGeneration has changed.
int SNMPGetPendingEvents(std::vector<pollfd>& fds);

// Changes whenever the descriptors of SNMPGetPendingEvents change, a socket
// closed and another opened under the same number included: a loop keeps
// its registrations while it stays the same, and registers the descriptors
// afresh when it changed. Always the same on Linux.
unsigned long SNMPPendingEventsGeneration();
