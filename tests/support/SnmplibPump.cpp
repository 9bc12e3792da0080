#include "tests/support/SnmplibPump.h"

#include <cstdlib>
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

namespace krwtest {

namespace {

const int kSliceMs = 20;

int SliceFor(int libraryTimeout, std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    int slice = kSliceMs;
    if (libraryTimeout >= 0 && libraryTimeout < slice)
        slice = libraryTimeout;
    if (left.count() < slice)
        slice = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    return slice;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (true) {
        SNMPProcessPendingEvents();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::vector<pollfd> fds;
        const int next = SNMPGetPendingEvents(fds);
        poll(fds.data(), fds.size(), SliceFor(next, deadline));
    }
}

bool WaitForDatagram(std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < deadline) {
        std::vector<pollfd> fds;
        SNMPGetPendingEvents(fds);
        if (poll(fds.data(), fds.size(), SliceFor(-1, deadline)) > 0)
            return true;
    }
    return false;
}

void RecordCompletion(int reason, Snmp*, Pdu& pdu, SnmpTarget&, void* data)
{
    CCompletion* completion = static_cast<CCompletion*>(data);
    ++completion->calls;
    completion->reason = reason;
    completion->pdu = pdu;
    completion->when = std::chrono::steady_clock::now();
}

CTarget CommunityTarget(unsigned short port, snmp_version version, unsigned long timeout, int retries,
                        const char* readCommunity, const char* writeCommunity)
{
    UdpAddress address("127.0.0.1");
    address.set_port(port);
    CTarget target(address, readCommunity, writeCommunity);
    target.set_version(version);
    target.set_timeout(timeout);
    target.set_retry(retries);
    return target;
}

UTarget UserTarget(unsigned short port, const char* securityName, unsigned long timeout, int retries)
{
    UdpAddress address("127.0.0.1");
    address.set_port(port);
    UTarget target(address, securityName, SNMP_SECURITY_MODEL_USM);
    target.set_timeout(timeout);
    target.set_retry(retries);
    return target;
}

Pdu PduOf(const std::vector<std::string>& oids, int securityLevel)
{
    Pdu pdu;
    for (const std::string& text : oids)
        pdu += Vb(Oid(text));
    pdu.set_security_level(securityLevel);
    return pdu;
}

std::string ValueText(const Pdu& pdu, int index)
{
    const Vb* vb = pdu.vb_at(index);
    return vb ? vb->get_printable_value() : "<missing>";
}

std::string OidText(const Pdu& pdu, int index)
{
    const Vb* vb = pdu.vb_at(index);
    return vb ? vb->get_printable_oid() : "<missing>";
}

int OpenDescriptorCount()
{
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count - 3;  // ".", ".." and the directory's own descriptor
}

std::set<int> OpenSockets()
{
    std::set<int> sockets;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return sockets;
    while (const dirent* entry = readdir(dir)) {
        char target[64] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(link.c_str(), target, sizeof target - 1) > 0 && std::string(target).rfind("socket:", 0) == 0)
            sockets.insert(std::atoi(entry->d_name));
    }
    closedir(dir);
    return sockets;
}

}  // namespace krwtest
