#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The HTTP server's connections, each on a thread of its own up to a bound:
// a probe holds its thread while its access point answers, so that a fixed
// pool would make the probes of many access points wait for one another.
// Threads that are done wait for the next connection.
class CExporterTaskQueue : public httplib::TaskQueue {
public:
    explicit CExporterTaskQueue(size_t maxThreads) : maxThreads(maxThreads) {}
    ~CExporterTaskQueue() override;

    void enqueue(std::function<void()> task) override;
    // Runs what is queued, then ends every thread.
    void shutdown() override;

private:
    void Work();

    const size_t maxThreads;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::function<void()>> tasks;
    std::vector<std::thread> threads;
    size_t idle = 0;
    bool stopping = false;
};
