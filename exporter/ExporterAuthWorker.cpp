#include "exporter/ExporterAuthWorker.h"

CExporterAuthWorker::CExporterAuthWorker(CBasicAuth& auth) : auth(auth), thread([this] { Work(); }) {}

CExporterAuthWorker::~CExporterAuthWorker()
{
    Stop();
}

bool CExporterAuthWorker::Check(std::string user, std::string password, std::function<void(bool)> done)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping || checks.size() >= kMaxQueued)
            return false;
        checks.push_back({std::move(user), std::move(password), std::move(done)});
    }
    ready.notify_one();
    return true;
}

void CExporterAuthWorker::Work()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
        ready.wait(lock, [this] { return stopping || !checks.empty(); });
        if (stopping)
            return;
        CCheck check = std::move(checks.front());
        checks.pop_front();
        lock.unlock();
        check.done(auth.Verify(check.user, check.password));
        lock.lock();
    }
}

void CExporterAuthWorker::Stop()
{
    std::deque<CCheck> left;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        left.swap(checks);
    }
    ready.notify_one();
    if (thread.joinable())
        thread.join();
    for (CCheck& check : left)
        check.done(false);
}
