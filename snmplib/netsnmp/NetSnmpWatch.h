#pragma once

#include <cstdint>
#include <map>
#include <vector>

class CNetSnmpSession;

// One descriptor for a message loop to watch: it is readable while a
// session's socket has a datagram waiting or the engine has been signalled
// (work that no socket shows, such as completions left for the next pass).
// Sessions come and go with their sockets; a socket is taken out before it is
// closed, so a descriptor number used again later is never mistaken for it.
class CNetSnmpWatch {
public:
    CNetSnmpWatch();
    ~CNetSnmpWatch();
    CNetSnmpWatch(const CNetSnmpWatch&) = delete;
    CNetSnmpWatch& operator=(const CNetSnmpWatch&) = delete;

    // -1 when the system refused the descriptors.
    int Descriptor() const { return pollFd; }

    bool Add(int socket, CNetSnmpSession* session);
    void Remove(int socket);

    void Signal();
    // The sessions whose sockets have data (at most a bounded number; the
    // rest stay readable for the next call). Clears the signal.
    std::vector<CNetSnmpSession*> TakeReady();

private:
    int pollFd;
    int signalFd;
    std::uint64_t lastKey = 0;
    std::map<int, std::uint64_t> keyOfSocket;
    std::map<std::uint64_t, CNetSnmpSession*> sessionOfKey;
};
