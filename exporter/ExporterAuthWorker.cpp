#include "exporter/ExporterAuthWorker.h"

CExporterAuthWorker::CExporterAuthWorker(CBasicAuth& auth) : auth(auth), thread([this] { Work(); }) {}

CExporterAuthWorker::~CExporterAuthWorker()
{
    Stop();
}

bool CExporterAuthWorker::Check(const std::string& address, std::string user, std::string password,
                                std::function<void(CResult)> done)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        size_t& fromAddress = queuedFrom[address];
        if (stopping || checks.size() >= kMaxQueued || fromAddress >= kMaxQueuedPerAddress) {
            if (fromAddress == 0)
                queuedFrom.erase(address);
            return false;
        }
        ++fromAddress;
        checks.push_back({address, std::move(user), std::move(password), std::move(done)});
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
        if (--queuedFrom[check.address] == 0)
            queuedFrom.erase(check.address);
        lock.unlock();
        check.done(auth.Verify(check.user, check.password) ? right : wrong);
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
        check.done(stopped);
}
