#include "snmplib/netsnmp/NetSnmpWatch.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// Sockets handed out per call; the rest wait for the next pass.
const int kMaxReadyPerCall = 256;
// The signal's key; sessions count from 1.
const std::uint64_t kSignalKey = 0;

}  // namespace

CNetSnmpWatch::CNetSnmpWatch() : pollFd(epoll_create1(EPOLL_CLOEXEC)), signalFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (pollFd < 0 || signalFd < 0)
        return;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kSignalKey;
    epoll_ctl(pollFd, EPOLL_CTL_ADD, signalFd, &event);
}

CNetSnmpWatch::~CNetSnmpWatch()
{
    if (signalFd >= 0)
        close(signalFd);
    if (pollFd >= 0)
        close(pollFd);
}

bool CNetSnmpWatch::Add(int socket, CNetSnmpSession* session)
{
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = ++lastKey;
    if (pollFd < 0 || socket < 0 || epoll_ctl(pollFd, EPOLL_CTL_ADD, socket, &event) != 0)
        return false;
    keyOfSocket[socket] = lastKey;
    sessionOfKey[lastKey] = session;
    return true;
}

void CNetSnmpWatch::Remove(int socket)
{
    auto found = keyOfSocket.find(socket);
    if (found == keyOfSocket.end())
        return;
    epoll_ctl(pollFd, EPOLL_CTL_DEL, socket, nullptr);
    sessionOfKey.erase(found->second);
    keyOfSocket.erase(found);
}

void CNetSnmpWatch::AddDescriptors(std::vector<pollfd>& fds) const
{
    if (pollFd >= 0)
        fds.push_back(PollEntry(pollFd, POLLIN));
}

void CNetSnmpWatch::Signal()
{
    const std::uint64_t one = 1;
    if (signalFd >= 0 && write(signalFd, &one, sizeof one) < 0)
        return;  // the counter is full: it is signalled anyway
}

std::vector<CNetSnmpSession*> CNetSnmpWatch::TakeReady()
{
    std::vector<CNetSnmpSession*> ready;
    if (pollFd < 0)
        return ready;
    epoll_event events[kMaxReadyPerCall];
    const int count = epoll_wait(pollFd, events, kMaxReadyPerCall, 0);
    for (int i = 0; i < count; ++i) {
        if (events[i].data.u64 == kSignalKey) {
            std::uint64_t count = 0;
            const ssize_t cleared = read(signalFd, &count, sizeof count);
            (void)cleared;  // nothing to clear is as good
            continue;
        }
        auto session = sessionOfKey.find(events[i].data.u64);
        if (session != sessionOfKey.end())
            ready.push_back(session->second);
    }
    return ready;
}
