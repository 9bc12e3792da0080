#pragma once

#include "exporter/ExporterMetrics.h"
#include "exporter/ExporterProbes.h"

#include <httplib.h>

#include <string>

// The HTTP side: /probe hands probes to the loop thread and waits for their
// reports; /metrics and / are answered on the handler's own thread.
class CExporterServer {
public:
    CExporterServer(CExporterProbes& probes, CExporterStats& stats);

    // Binds host:port (port 0 picks one); false with the system's reason.
    bool Bind(const std::string& host, int port, std::string* error);
    int Port() const { return port; }
    // Serves until Stop.
    void Run();
    void Stop();

private:
    void Probe(const httplib::Request& request, httplib::Response& response);

    CExporterProbes& probes;
    CExporterStats& stats;
    httplib::Server server;
    socket_t listening = -1;
    int port = 0;
};

// How long a probe waits for its report: Prometheus' scrape time-out (the
// header's text) less a margin for the answer to reach it; 10 s without one.
double ProbeWaitSeconds(const std::string& scrapeTimeout);
