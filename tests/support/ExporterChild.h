#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace krwtest {

// An HTTP answer; status -1 when none came.
struct CHttpAnswer {
    int status = -1;
    std::string contentType;
    std::string allow;
    std::string body;
};

// krw6180-exporter on a free loopback port, for agents on agentPort;
// stopped by its process id.
class CExporterChild {
public:
    explicit CExporterChild(unsigned short agentPort, std::vector<std::string> options = {});
    ~CExporterChild();
    CExporterChild(const CExporterChild&) = delete;
    CExporterChild& operator=(const CExporterChild&) = delete;

    unsigned short Port() const { return port; }
    pid_t Pid() const { return pid; }

    // A request on a connection of its own, with these header fields.
    CHttpAnswer Request(const std::string& method, const std::string& path,
                        const std::vector<std::pair<std::string, std::string>>& headers = {}) const;
    // GET path; the scrape time-out header when one is given.
    CHttpAnswer Get(const std::string& path, const std::string& scrapeTimeout = "") const;

private:
    pid_t pid = -1;
    unsigned short port = 0;
};

// Whether body holds line as a whole line.
bool HoldsLine(const std::string& body, const std::string& line);

}  // namespace krwtest
