#include "tests/support/ExporterChild.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace krwtest {

namespace {

const auto kBound = std::chrono::seconds(30);

}  // namespace

CExporterChild::CExporterChild(unsigned short agentPort, std::vector<std::string> options)
{
    std::vector<std::string> argv{KRW_EXPORTER_PROGRAM, "--web.listen-address", "127.0.0.1:0", "-p",
                                  std::to_string(agentPort)};
    argv.insert(argv.end(), options.begin(), options.end());
    port = SpawnAnnouncingPort(argv, "listening on 127.0.0.1:", -1, &pid);
    EXPECT_NE(0, port) << "krw6180-exporter did not start";
}

CExporterChild::~CExporterChild()
{
    StopChild(pid, kBound);
}

CHttpAnswer CExporterChild::Request(const std::string& method, const std::string& path,
                                    const std::vector<std::pair<std::string, std::string>>& headers) const
{
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(kBound);
    httplib::Request request;
    request.method = method;
    request.path = path;
    for (const auto& header : headers)
        request.headers.emplace(header.first, header.second);
    const httplib::Result result = client.send(request);
    if (!result)
        return {};
    return {result->status, result->get_header_value("Content-Type"), result->get_header_value("Allow"), result->body};
}

CHttpAnswer CExporterChild::Get(const std::string& path, const std::string& scrapeTimeout) const
{
    if (scrapeTimeout.empty())
        return Request("GET", path);
    return Request("GET", path, {{"X-Prometheus-Scrape-Timeout-Seconds", scrapeTimeout}});
}

bool HoldsLine(const std::string& body, const std::string& line)
{
    return ("\n" + body).find("\n" + line + "\n") != std::string::npos;
}

}  // namespace krwtest
