#pragma once

#include <nlohmann/json.hpp>

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace krwtest {

// A real Prometheus server with this configuration on a free loopback port,
// its data and its log in folder; stopped by its process id.
class CPrometheusChild {
public:
    CPrometheusChild(const std::filesystem::path& folder, const std::string& configuration);
    ~CPrometheusChild();
    CPrometheusChild(const CPrometheusChild&) = delete;
    CPrometheusChild& operator=(const CPrometheusChild&) = delete;

    bool Started() const { return pid > 0; }
    // The series of an instant query of its HTTP API; empty until it has some.
    nlohmann::json Query(const std::string& query) const;
    // What it wrote, for a test's message.
    std::string Log() const;

private:
    std::filesystem::path folder;
    unsigned short port = 0;
    pid_t pid = -1;
};

}  // namespace krwtest
