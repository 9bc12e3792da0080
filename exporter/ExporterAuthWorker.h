#pragma once

#include "exporter/ExporterBasicAuth.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// Password checks off the server's thread: one bcrypt takes tens of
// milliseconds, in which the server would answer no one else. Checks waiting
// are bounded in all and per client address, so that a client sending wrong
// passwords fast has mostly its own requests refused; a known password needs
// no check here (CBasicAuth::Known).
class CExporterAuthWorker {
public:
    static constexpr size_t kMaxQueued = 64;
    static constexpr size_t kMaxQueuedPerAddress = 4;

    explicit CExporterAuthWorker(CBasicAuth& auth);
    ~CExporterAuthWorker();
    CExporterAuthWorker(const CExporterAuthWorker&) = delete;
    CExporterAuthWorker& operator=(const CExporterAuthWorker&) = delete;

    // How a check ended.
    enum CResult { right, wrong, stopped };

    // Queues a check for a client at address; done is called on the
    // worker's thread. False when too many wait, or once stopped.
    bool Check(const std::string& address, std::string user, std::string password, std::function<void(CResult)> done);
    // Ends the checks still queued with done(stopped) and the thread.
    void Stop();

private:
    struct CCheck {
        std::string address;
        std::string user;
        std::string password;
        std::function<void(CResult)> done;
    };

    void Work();

    CBasicAuth& auth;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<CCheck> checks;
    std::map<std::string, size_t> queuedFrom;  // by client address
    bool stopping = false;
    std::thread thread;
};
