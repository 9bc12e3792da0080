#include "exporter/ExporterResolver.h"

#include "hostlib/HostAddresses.h"

#include <netinet/in.h>

#include <ctime>

namespace {

// How long the end waits for lookups that could not be cancelled.
const timespec kEndWait = {1, 0};

CExporterResolver::CResolved Finished(const std::string& name, int status, addrinfo* found)
{
    CExporterResolver::CResolved done;
    done.name = name;
    if (status != 0 || found == nullptr) {
        done.reason = "cannot resolve " + name + (status == EAI_SYSTEM ? "" : std::string(": ") + gai_strerror(status));
        return done;
    }
    done.resolved = true;
    done.address = DottedAddress(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr);
    freeaddrinfo(found);
    return done;
}

}  // namespace

CExporterResolver::~CExporterResolver()
{
    std::vector<const gaicb*> running;
    for (auto& entry : pending)
        if (gai_cancel(&entry.second->request) == EAI_NOTCANCELED)
            running.push_back(&entry.second->request);
    if (!running.empty())
        gai_suspend(running.data(), static_cast<int>(running.size()), &kEndWait);
    // A lookup still under way writes into its request when it ends: the
    // request stays, as the process is ending anyway.
    static auto* const abandoned = new std::vector<std::unique_ptr<CLookup>>;
    for (auto& entry : pending)
        if (gai_error(&entry.second->request) == EAI_INPROGRESS)
            abandoned->push_back(std::move(entry.second));
    for (auto& entry : pending)
        if (entry.second && gai_error(&entry.second->request) == 0)
            freeaddrinfo(entry.second->request.ar_result);
}

bool CExporterResolver::Start(const std::string& name)
{
    if (pending.count(name) != 0)
        return true;
    if (pending.size() >= kMaxPending)
        return false;
    auto lookup = std::make_unique<CLookup>();
    lookup->name = name;
    lookup->hints.ai_family = AF_INET;
    lookup->hints.ai_socktype = SOCK_DGRAM;
    lookup->request.ar_name = lookup->name.c_str();
    lookup->request.ar_request = &lookup->hints;
    gaicb* list[] = {&lookup->request};
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0)
        return false;
    pending.emplace(name, std::move(lookup));
    return true;
}

void CExporterResolver::Cancel(const std::string& name)
{
    const auto found = pending.find(name);
    if (found == pending.end())
        return;
    // One that cannot be cancelled stays pending, unseen, until it ends.
    gaicb& request = found->second->request;
    const int status = gai_cancel(&request);
    if (status == EAI_ALLDONE && gai_error(&request) == 0)
        freeaddrinfo(request.ar_result);
    if (status != EAI_NOTCANCELED)
        pending.erase(found);
}

std::vector<CExporterResolver::CResolved> CExporterResolver::Poll()
{
    std::vector<CResolved> done;
    for (auto it = pending.begin(); it != pending.end();) {
        const int status = gai_error(&it->second->request);
        if (status == EAI_INPROGRESS) {
            ++it;
            continue;
        }
        done.push_back(Finished(it->first, status, it->second->request.ar_result));
        it = pending.erase(it);
    }
    return done;
}
