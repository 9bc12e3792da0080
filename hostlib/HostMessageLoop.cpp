#include "hostlib/HostMessageLoop.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The thread timers a Run sets up, killed when it returns however it ends.
class CThreadTimers {
public:
    CThreadTimers() = default;
    CThreadTimers(const CThreadTimers&) = delete;
    CThreadTimers& operator=(const CThreadTimers&) = delete;
    ~CThreadTimers()
    {
        for (const UINT_PTR id : ids)
            ::KillTimer(nullptr, id);
    }

    UINT_PTR Add(UINT periodMs)
    {
        ids.push_back(::SetTimer(nullptr, 0, std::max<UINT>(periodMs, 1), nullptr));
        return ids.back();
    }

private:
    std::vector<UINT_PTR> ids;
};

bool IsThreadTimer(const MSG& msg, UINT_PTR id)
{
    return msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam == id;
}

}  // namespace

void CHostMessageLoop::Every(UINT periodMs, CAction action)
{
    periodic.push_back({periodMs, std::move(action)});
}

void CHostMessageLoop::OnThreadMessage(UINT message, CAction action)
{
    threadMessages[message] = std::move(action);
}

void CHostMessageLoop::Watch(std::function<void(const MSG&)> watch)
{
    watcher = std::move(watch);
}

bool CHostMessageLoop::Run(UINT waitMs, const std::function<bool()>& done)
{
    longestDispatchMs = 0;
    CThreadTimers timers;
    const UINT_PTR deadline = waitMs == kUnbounded ? 0 : timers.Add(waitMs);
    std::map<UINT_PTR, CAction> actions;
    for (const CPeriodic& p : periodic)
        actions[timers.Add(p.periodMs)] = p.action;
    MSG msg;
    while (!(done && done()) && ::GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (deadline != 0 && IsThreadTimer(msg, deadline))
            break;
        if (!RunAction(msg, actions))
            Dispatch(msg);
    }
    return done && done();
}

bool CHostMessageLoop::RunAction(const MSG& msg, const std::map<UINT_PTR, CAction>& timers) const
{
    if (msg.hwnd != nullptr)
        return false;
    if (msg.message == WM_TIMER) {
        const auto timer = timers.find(msg.wParam);
        if (timer != timers.end())
            timer->second();
        return timer != timers.end();
    }
    const auto handled = threadMessages.find(msg.message);
    if (handled != threadMessages.end())
        handled->second();
    return handled != threadMessages.end();
}

void CHostMessageLoop::Dispatch(const MSG& msg)
{
    if (watcher)
        watcher(msg);
    const Clock::time_point start = Clock::now();
    ::DispatchMessage(&msg);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    longestDispatchMs = std::max(longestDispatchMs, ms);
}
