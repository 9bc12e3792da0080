#include "exporter/ExporterTaskQueue.h"

#include <utility>

CExporterTaskQueue::~CExporterTaskQueue()
{
    shutdown();
}

void CExporterTaskQueue::enqueue(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        tasks.push_back(std::move(task));
        if (tasks.size() > idle && threads.size() < maxThreads)
            threads.emplace_back(&CExporterTaskQueue::Work, this);
    }
    ready.notify_one();
}

void CExporterTaskQueue::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    ready.notify_all();
    for (std::thread& thread : threads)
        if (thread.joinable())
            thread.join();
}

void CExporterTaskQueue::Work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(mutex);
            ++idle;
            ready.wait(lock, [this] { return stopping || !tasks.empty(); });
            --idle;
            if (tasks.empty())
                return;
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task();
    }
}
