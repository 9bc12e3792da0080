#include "exporter/ExporterReloads.h"

bool CExporterReloads::Request(CDone done)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closed)
            return false;
        waiting.push_back(std::move(done));
    }
    ::PostThreadMessage(loopThread, kMessage, 0, 0);
    return true;
}

void CExporterReloads::Run(const std::function<bool(std::string*)>& reload)
{
    std::vector<CDone> requests;
    {
        std::lock_guard<std::mutex> lock(mutex);
        requests.swap(waiting);
    }
    if (requests.empty())
        return;
    std::string why;
    const bool done = reload(&why);
    for (const CDone& request : requests)
        if (request)
            request(done, why);
}

void CExporterReloads::Close(const std::string& why)
{
    std::vector<CDone> requests;
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        requests.swap(waiting);
    }
    for (const CDone& request : requests)
        if (request)
            request(false, why);
}
