#pragma once

#include "platform/Afx.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Requests to read the configuration file again, from SIGHUP and from
// POST /-/reload, carried out on the loop thread, which owns the profiles.
class CExporterReloads {
public:
    static constexpr UINT kMessage = WM_APP + 2;
    using CDone = std::function<void(bool, const std::string&)>;

    explicit CExporterReloads(DWORD loopThread) : loopThread(loopThread) {}

    // Any thread: done (may be empty) is called on the loop thread with the
    // outcome. False once closed.
    bool Request(CDone done);
    // The loop thread, on kMessage: one reload for every request waiting.
    void Run(const std::function<bool(std::string*)>& reload);
    // Takes no more requests; those waiting end as failed.
    void Close(const std::string& why);

private:
    const DWORD loopThread;
    std::mutex mutex;
    std::vector<CDone> waiting;
    bool closed = false;
};
