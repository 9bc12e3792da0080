#pragma once

#include "exporter/ExporterMetrics.h"
#include "exporter/ExporterProbes.h"

#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

// The HTTP side: /probe hands probes to the loop thread and waits for their
// reports; /metrics and / are answered on the handler's own thread.
class CExporterServer {
public:
    CExporterServer(CExporterProbes& probes, CExporterStats& stats);

    ~CExporterServer();
    CExporterServer(const CExporterServer&) = delete;
    CExporterServer& operator=(const CExporterServer&) = delete;

    // Binds host:port (port 0 picks one); false with the system's reason.
    bool Bind(const std::string& host, int port, std::string* error);
    int Port() const { return port; }
    // Serves on a thread of its own until Stop. Should the server end by
    // itself, it ends loopThread's message loop, and Failed() says so.
    void Start(DWORD loopThread);
    void Stop();
    bool Failed() const { return failed; }

private:
    void Probe(const httplib::Request& request, httplib::Response& response);

    CExporterProbes& probes;
    CExporterStats& stats;
    httplib::Server server;
    socket_t listening = -1;
    int port = 0;
    std::thread serving;
    std::atomic<bool> stopping{false};
    std::atomic<bool> failed{false};
};

// How long a probe waits for its report: Prometheus' scrape time-out (the
// header's text) less a margin for the answer to reach it; 10 s without one.
double ProbeWaitSeconds(const std::string& scrapeTimeout);
