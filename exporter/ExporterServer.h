#pragma once

#include "exporter/ExporterAuthWorker.h"
#include "exporter/ExporterConnections.h"
#include "exporter/ExporterHistory.h"
#include "exporter/ExporterLog.h"
#include "exporter/ExporterMetrics.h"
#include "exporter/ExporterProbes.h"
#include "exporter/ExporterWebConfig.h"

#include <microhttpd.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// What the HTTP server is set up with.
struct CServerSettings {
    std::string host = "127.0.0.1";  // an address or name to listen on
    int port = 9180;                 // 0 picks a free one
    CExporterConnections::CLimits limits;
    size_t historyLimit = 100;
    CWebConfig web;
};

// Asks the loop thread to read the configuration file again; done(whether
// it took, why not) is called there. False once the loop has ended.
using CReloadRequest = std::function<bool(std::function<void(bool, const std::string&)> done)>;

// The HTTP side, on one event thread of its own: a request waiting for its
// probe holds no thread, only its connection (suspended until the loop
// thread has the report). /metrics, / and the history are answered at once.
class CExporterServer {
public:
    CExporterServer(CExporterProbes& probes, CExporterStats& stats, CExporterLog& log, CServerSettings settings,
                    CReloadRequest reload);
    ~CExporterServer();
    CExporterServer(const CExporterServer&) = delete;
    CExporterServer& operator=(const CExporterServer&) = delete;

    // Listens and serves; false with the system's reason.
    bool Start(std::string* error);
    int Port() const { return port; }
    // The loop thread, every second: ends connections late with a request,
    // and gives back the memory of many that ended.
    void Tidy();
    // Closes every connection and ends the server's thread. The probes are
    // closed first, so that their requests are answered.
    void Stop();

private:
    struct CRequest;

    static MHD_Result Handle(void* server, MHD_Connection* connection, const char* url, const char* method,
                             const char* version, const char* upload, size_t* uploadSize, void** slot);
    static void Completed(void* server, MHD_Connection* connection, void** slot, MHD_RequestTerminationCode reason);
    static void Notify(void* server, MHD_Connection* connection, void** socketSlot,
                       MHD_ConnectionNotificationCode code);

    MHD_Result Begin(MHD_Connection* connection, CRequest& request);
    MHD_Result Route(MHD_Connection* connection, CRequest& request);
    MHD_Result Probe(MHD_Connection* connection, CRequest& request, bool head);
    MHD_Result Reload(MHD_Connection* connection, CRequest& request);
    MHD_Result History(MHD_Connection* connection);
    MHD_Result AnswerProbe(MHD_Connection* connection, CRequest& request);
    bool Authorize(MHD_Connection* connection, CRequest& request, MHD_Result* result);
    MHD_Result Send(MHD_Connection* connection, int status, const std::string& body, const char* contentType,
                    const char* allow = nullptr);
    MHD_Result SendWithoutLength(MHD_Connection* connection, const char* contentType);
    // Ends a suspension with this answer.
    void Prepare(MHD_Connection* connection, CRequest& request, int status, const std::string& body);
    MHD_Result Queue(MHD_Connection* connection, int status, MHD_Response* response, const char* allow);
    CServerFigures Figures() const;

    CExporterProbes& probes;
    CExporterLog& log;
    const CServerSettings settings;
    const CReloadRequest reload;
    CExporterStats& stats;
    CExporterConnections connections;
    CExporterHistory history;
    std::unique_ptr<CBasicAuth> basicAuth;
    std::unique_ptr<CExporterAuthWorker> authWorker;
    MHD_Daemon* daemon = nullptr;
    int port = 0;
    std::mutex mutex;  // guards live
    std::condition_variable answered;
    size_t live = 0;      // requests between their header fields and their end
    size_t mostOpen = 0;  // connections open at once since memory was last given back
};

// How long a probe waits for its report: Prometheus' scrape time-out (the
// header's text) less a margin for the answer to reach it; 10 s without one.
double ProbeWaitSeconds(const std::string& scrapeTimeout);
