#pragma once

#include "exporter/ExporterBasicAuth.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Password checks off the server's thread: one bcrypt takes tens of
// milliseconds, in which the server would answer no one else. Checks waiting
// are bounded, so that a client sending wrong passwords fast only has its
// own requests refused.
class CExporterAuthWorker {
public:
    static constexpr size_t kMaxQueued = 64;

    explicit CExporterAuthWorker(CBasicAuth& auth);
    ~CExporterAuthWorker();
    CExporterAuthWorker(const CExporterAuthWorker&) = delete;
    CExporterAuthWorker& operator=(const CExporterAuthWorker&) = delete;

    // Queues a check; done(whether the password is right) is called on the
    // worker's thread. False when too many wait, or once stopped.
    bool Check(std::string user, std::string password, std::function<void(bool)> done);
    // Ends the checks still queued with done(false) and the thread.
    void Stop();

private:
    struct CCheck {
        std::string user;
        std::string password;
        std::function<void(bool)> done;
    };

    void Work();

    CBasicAuth& auth;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<CCheck> checks;
    bool stopping = false;
    std::thread thread;
};
