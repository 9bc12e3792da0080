#include "snmplib/netsnmp/NetSnmpWatch.h"

namespace {

// Sockets handed out per call; the rest wait for the next pass.
const size_t kMaxReadyPerCall = 256;

bool IsReadable(const pollfd& entry)
{
    return (entry.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
}

}  // namespace

CNetSnmpWatch::CNetSnmpWatch() = default;

CNetSnmpWatch::~CNetSnmpWatch()
{
    if (signalSocket >= 0)
        closesocket(static_cast<SOCKET>(signalSocket));
}

// A datagram socket on the loopback address that sends to itself: what a
// message loop can watch, where Linux has an eventfd. Opened with the first
// session, once the sockets have been started.
bool CNetSnmpWatch::OpenSignal()
{
    if (signalSocket >= 0)
        return true;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return false;
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof self;
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
        connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return false;
    }
    signalSocket = static_cast<int>(s);
    ++generation;
    return true;
}

void CNetSnmpWatch::DrainSignal()
{
    char byte = 0;
    while (recv(static_cast<SOCKET>(signalSocket), &byte, sizeof byte, 0) >= 0) {}
}

void CNetSnmpWatch::AddDescriptors(std::vector<pollfd>& fds) const
{
    if (signalSocket >= 0)
        fds.push_back(PollEntry(signalSocket, POLLIN));
    for (const auto& entry : sessionOfSocket)
        fds.push_back(PollEntry(entry.first, POLLIN));
}

bool CNetSnmpWatch::Add(int socket, CNetSnmpSession* session)
{
    if (socket < 0 || !OpenSignal())
        return false;
    sessionOfSocket[socket] = session;
    ++generation;
    // The message loop watches the sockets it was given; the signal makes it
    // ask again, and so watch this one too.
    Signal();
    return true;
}

void CNetSnmpWatch::Remove(int socket)
{
    if (sessionOfSocket.erase(socket) != 0)
        ++generation;
}

void CNetSnmpWatch::Signal()
{
    const char byte = 1;
    if (signalSocket >= 0)
        send(static_cast<SOCKET>(signalSocket), &byte, sizeof byte, 0);
}

std::vector<CNetSnmpSession*> CNetSnmpWatch::TakeReady()
{
    std::vector<CNetSnmpSession*> ready;
    if (signalSocket < 0)
        return ready;
    std::vector<pollfd> fds;
    AddDescriptors(fds);
    if (poll(fds.data(), fds.size(), 0) <= 0)
        return ready;
    if (IsReadable(fds.front()))
        DrainSignal();
    for (size_t i = 1; i < fds.size() && ready.size() < kMaxReadyPerCall; ++i) {
        if (IsReadable(fds[i]))
            ready.push_back(sessionOfSocket[static_cast<int>(fds[i].fd)]);
    }
    return ready;
}
