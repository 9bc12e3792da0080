#pragma once

#include <netdb.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Host names resolved to IPv4 addresses without holding up the loop thread:
// glibc's asynchronous getaddrinfo, asked on the loop's sweep whether it is
// done. Names in resolution at once are bounded; each is asked once however
// many probes wait for it.
class CExporterResolver {
public:
    static constexpr size_t kMaxPending = 256;

    struct CResolved {
        std::string name;
        bool resolved = false;
        std::string address;  // dotted, when resolved
        std::string reason;   // why not, otherwise
    };

    CExporterResolver() = default;
    ~CExporterResolver();
    CExporterResolver(const CExporterResolver&) = delete;
    CExporterResolver& operator=(const CExporterResolver&) = delete;

    // Starts resolving name unless it is under way; false when too many are.
    bool Start(const std::string& name);
    // Gives up on name; its result never comes.
    void Cancel(const std::string& name);
    // The names done since the last call.
    std::vector<CResolved> Poll();
    size_t Pending() const { return pending.size(); }

private:
    struct CLookup {
        std::string name;
        addrinfo hints{};
        gaicb request{};
    };

    std::map<std::string, std::unique_ptr<CLookup>> pending;
};
