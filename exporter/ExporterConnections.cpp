#include "exporter/ExporterConnections.h"

#include <sys/socket.h>

bool CExporterConnections::Opened(const void* key, int socket, const std::string& address, CClock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex);
    size_t& fromAddress = perAddress[address];
    if (connections.size() >= limits.total || fromAddress >= limits.perAddress) {
        if (fromAddress == 0)
            perAddress.erase(address);
        ++rejected;
        ::shutdown(socket, SHUT_RDWR);
        return false;
    }
    ++fromAddress;
    connections[key] = CConnection{socket, address, true, now};
    open = connections.size();
    return true;
}

void CExporterConnections::Closed(const void* key)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = connections.find(key);
    if (found == connections.end())
        return;
    const auto from = perAddress.find(found->second.address);
    if (from != perAddress.end() && --from->second == 0)
        perAddress.erase(from);
    connections.erase(found);
    open = connections.size();
}

void CExporterConnections::Received(const void* key)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = connections.find(key);
    if (found != connections.end())
        found->second.receiving = false;
}

void CExporterConnections::Answered(const void* key, CClock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = connections.find(key);
    if (found == connections.end())
        return;
    found->second.receiving = true;
    found->second.since = now;
}

void CExporterConnections::ShutDownLate(CClock::time_point now)
{
    // Under the lock, so that the server cannot have closed the socket (its
    // number may be another's by then) before Closed has taken it out.
    std::lock_guard<std::mutex> lock(mutex);
    for (auto& entry : connections) {
        CConnection& connection = entry.second;
        if (!connection.receiving || now - connection.since < limits.receiveTime)
            continue;
        ::shutdown(connection.socket, SHUT_RDWR);
        connection.receiving = false;  // it ends now: once is enough
        ++timedOut;
    }
}
