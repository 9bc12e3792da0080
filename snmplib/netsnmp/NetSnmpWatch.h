#pragma once

#include "snmplib/Sockets.h"

#include <cstdint>
#include <map>
#include <vector>

class CNetSnmpSession;

// What a message loop watches for the engine: readable while a session's
// socket has a datagram waiting or the engine has been signalled (work that
// no socket shows, such as completions left for the next pass). On Linux one
// epoll descriptor stands for them all; Windows has no such descriptor, so
// there the loop watches every session's socket and a socket of the
// signal's own, and a new session signals, so that the loop learns of its
// socket. Sessions come and go with their sockets; a socket is taken out
// before it is closed, so a descriptor number used again later is never
// mistaken for it.
class CNetSnmpWatch {
public:
    CNetSnmpWatch();
    ~CNetSnmpWatch();
    CNetSnmpWatch(const CNetSnmpWatch&) = delete;
    CNetSnmpWatch& operator=(const CNetSnmpWatch&) = delete;

    // Adds the descriptors to watch for input (none when the system refused
    // them). On Linux always the same one; on Windows they change with the
    // sessions.
    void AddDescriptors(std::vector<pollfd>& fds) const;
    // Changes with every change of those descriptors.
    unsigned long Generation() const { return generation; }

    bool Add(int socket, CNetSnmpSession* session);
    void Remove(int socket);

    void Signal();
    // The sessions whose sockets have data (at most a bounded number; the
    // rest stay readable for the next call). Clears the signal.
    std::vector<CNetSnmpSession*> TakeReady();

private:
    unsigned long generation = 0;
#ifdef _WIN32
    bool OpenSignal();
    void DrainSignal();

    int signalSocket = -1;
    std::map<int, CNetSnmpSession*> sessionOfSocket;
#else
    int pollFd;
    int signalFd;
    std::uint64_t lastKey = 0;
    std::map<int, std::uint64_t> keyOfSocket;
    std::map<std::uint64_t, CNetSnmpSession*> sessionOfKey;
#endif
};
