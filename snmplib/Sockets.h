#pragma once
// The system's sockets and poll(): on Windows Winsock 2, whose poll() is
// WSAPoll (Windows Vista and later).

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

inline int poll(pollfd* fds, unsigned long count, int timeout)
{
    return WSAPoll(fds, count, timeout);
}

// Winsock is started once per process, on first use: never from a DLL's
// start-up, where the loader lock forbids it (its start loads the
// providers' own DLLs). It stays started until the process ends, as a
// cleanup from a DLL's shut-down would be under the same lock.
inline bool StartSockets()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

inline bool StartSockets()
{
    return true;
}
#endif

// A poll() entry for a descriptor (on Windows a socket, an unsigned handle).
inline pollfd PollEntry(int fd, short events)
{
    pollfd entry{};
    entry.fd = fd;
    entry.events = events;
    return entry;
}
