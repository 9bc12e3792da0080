#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AfxKernel.h"
#include "platform/AfxMessages.h"
#include "platform/AfxWindow.h"
#include "platform/posix/AfxWindowInternal.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT_PTR returned;  // what SetTimer gave back; KillTimer accepts it too
    Clock::duration interval;
    Clock::time_point due;
    TIMERPROC proc;
};

struct WaitHandle {
    int fd;
    short events;
    HWND hwnd;
    UINT message;
    short ready;  // revents not yet handed out; the fd is not polled meanwhile
};

struct Filter {
    HWND hwnd;
    UINT min;
    UINT max;

    bool Matches(HWND msgHwnd, UINT message) const
    {
        if (hwnd != nullptr && msgHwnd != hwnd)
            return false;
        return (min == 0 && max == 0) || (message >= min && message <= max);
    }
};

class ThreadQueue {
public:
    explicit ThreadQueue(DWORD threadId) : threadId(threadId), wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ThreadQueue()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    void Wake() const
    {
        if (wakeFd < 0)
            return;
        const uint64_t one = 1;
        ssize_t ignored = ::write(wakeFd, &one, sizeof one);
        (void)ignored;
    }

    void DrainWake() const
    {
        uint64_t count = 0;
        ssize_t ignored = ::read(wakeFd, &count, sizeof count);
        (void)ignored;
    }

    const DWORD threadId;
    const int wakeFd;
    std::mutex mutex;
    std::deque<MSG> posted;
    std::vector<Timer> timers;
    std::vector<WaitHandle> waits;
    bool quit = false;
    int quitCode = 0;
    UINT_PTR nextThreadTimerId = 1;
};

using QueuePtr = std::shared_ptr<ThreadQueue>;

struct WindowRecord {
    CWnd* wnd;
    HWND parent;
    QueuePtr owner;
};

// Windows and thread queues of the process. Lock order: this mutex, then a queue's.
struct Registry {
    std::mutex mutex;
    std::map<HWND, WindowRecord> windows;
    std::map<DWORD, std::weak_ptr<ThreadQueue>> queues;
    uintptr_t nextHandle = 0x10000;
};

// Never destroyed: windows and timers may be touched from static destructors.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

// Removes everything of one window from its queue.
void PurgeWindow(ThreadQueue& queue, HWND hwnd)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    auto& timers = queue.timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(), [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
    auto& posted = queue.posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                 posted.end());
    auto& waits = queue.waits;
    waits.erase(std::remove_if(waits.begin(), waits.end(), [hwnd](const WaitHandle& w) { return w.hwnd == hwnd; }),
                waits.end());
}

// A thread's queue lives as long as the thread; its windows go with it.
struct QueueHolder {
    QueuePtr queue;
    ~QueueHolder();
};

thread_local bool t_queueGone = false;
thread_local QueueHolder t_holder;

QueueHolder::~QueueHolder()
{
    t_queueGone = true;
    if (!queue)
        return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (auto it = registry.windows.begin(); it != registry.windows.end();) {
        it = it->second.owner == queue ? registry.windows.erase(it) : std::next(it);
    }
    registry.queues.erase(queue->threadId);
}

QueuePtr CurrentQueue()
{
    if (t_queueGone)
        return nullptr;
    if (!t_holder.queue) {
        auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        registry.queues[queue->threadId] = queue;
        t_holder.queue = std::move(queue);
    }
    return t_holder.queue;
}

MSG MakeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    return msg;
}

void Post(ThreadQueue& queue, const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        queue.posted.push_back(msg);
    }
    queue.Wake();
}

// The due timer matching the filter that fell due first, or null.
Timer* DueTimer(ThreadQueue& queue, const Filter& filter, Clock::time_point now)
{
    Timer* best = nullptr;
    for (Timer& timer : queue.timers) {
        if (timer.due > now || !filter.Matches(timer.hwnd, WM_TIMER))
            continue;
        if (best == nullptr || timer.due < best->due)
            best = &timer;
    }
    return best;
}

// Takes (or, without remove, copies) the next message in Windows' order:
// posted messages, WM_QUIT, ready wait handles, due timers.
bool TakeMessage(ThreadQueue& queue, MSG& out, const Filter& filter, bool remove)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    auto posted = std::find_if(queue.posted.begin(), queue.posted.end(),
                               [&filter](const MSG& m) { return filter.Matches(m.hwnd, m.message); });
    if (posted != queue.posted.end()) {
        out = *posted;
        if (remove)
            queue.posted.erase(posted);
        return true;
    }
    if (queue.quit) {
        out = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (remove)
            queue.quit = false;
        return true;
    }
    for (WaitHandle& wait : queue.waits) {
        if (wait.ready == 0 || !filter.Matches(wait.hwnd, wait.message))
            continue;
        out = MakeMsg(wait.hwnd, wait.message, static_cast<WPARAM>(wait.fd), wait.ready);
        if (remove)
            wait.ready = 0;
        return true;
    }
    const Clock::time_point now = Clock::now();
    if (Timer* timer = DueTimer(queue, filter, now)) {
        out = MakeMsg(timer->hwnd, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
        if (remove)
            timer->due = now + timer->interval;
        return true;
    }
    return false;
}

// Milliseconds until the first timer matching the filter falls due; -1 without one.
int PollTimeout(ThreadQueue& queue, const Filter& filter)
{
    bool any = false;
    Clock::time_point first{};
    for (const Timer& timer : queue.timers) {
        if (!filter.Matches(timer.hwnd, WM_TIMER))
            continue;
        if (!any || timer.due < first)
            first = timer.due;
        any = true;
    }
    if (!any)
        return queue.wakeFd < 0 ? 10 : -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(first - Clock::now()).count();
    const long long fallback = queue.wakeFd < 0 ? 10 : INT32_MAX;
    return static_cast<int>(std::clamp<long long>(wait, 0, fallback));
}

// Waits with poll() for a posted message, a wait handle or the next timer.
void Wait(ThreadQueue& queue, const Filter& filter, bool block)
{
    std::vector<pollfd> fds;
    int timeout = 0;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (queue.wakeFd >= 0)
            fds.push_back({queue.wakeFd, POLLIN, 0});
        for (const WaitHandle& wait : queue.waits) {
            if (wait.ready == 0)
                fds.push_back({wait.fd, wait.events, 0});
        }
        if (block)
            timeout = PollTimeout(queue, filter);
    }
    if (fds.empty() && timeout == 0)
        return;
    if (::poll(fds.data(), fds.size(), timeout) <= 0)
        return;
    std::lock_guard<std::mutex> lock(queue.mutex);
    for (const pollfd& fd : fds) {
        if (fd.revents == 0)
            continue;
        if (fd.fd == queue.wakeFd) {
            queue.DrainWake();
            continue;
        }
        for (WaitHandle& wait : queue.waits) {
            if (wait.fd == fd.fd && wait.ready == 0)
                wait.ready = fd.revents;
        }
    }
}

std::vector<WaitHandle>::iterator FindWait(std::vector<WaitHandle>& waits, int fd, HWND hwnd)
{
    return std::find_if(waits.begin(), waits.end(), [=](const WaitHandle& w) { return w.fd == fd && w.hwnd == hwnd; });
}

bool IsWindowOfQueue(HWND hwnd, const QueuePtr& queue)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto it = registry.windows.find(hwnd);
    return it != registry.windows.end() && it->second.owner == queue;
}

// The queue of the thread that owns a window; the caller holds the registry
// lock, so the window cannot go while the queue is used. Null, with the last
// error set, when the handle names no window.
ThreadQueue* OwnerOfWindow(Registry& registry, HWND hwnd)
{
    const auto window = registry.windows.find(hwnd);
    if (window == registry.windows.end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return window->second.owner.get();
}

UINT_PTR SetWindowTimer(HWND hWnd, UINT_PTR nIDEvent, Clock::duration interval, TIMERPROC proc)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> registryLock(registry.mutex);
    ThreadQueue* owner = OwnerOfWindow(registry, hWnd);
    if (owner == nullptr)
        return 0;
    ThreadQueue& queue = *owner;
    const UINT_PTR returned = nIDEvent != 0 ? nIDEvent : 1;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        auto& timers = queue.timers;
        auto it = std::find_if(timers.begin(), timers.end(),
                               [&](const Timer& t) { return t.hwnd == hWnd && t.id == nIDEvent; });
        const Timer timer{hWnd, nIDEvent, returned, interval, Clock::now() + interval, proc};
        if (it != timers.end()) {
            *it = timer;
        } else {
            timers.push_back(timer);
        }
    }
    // Another thread that owns the window may be waiting with a timeout
    // computed before this timer; the owner itself is not waiting now.
    if (&queue != t_holder.queue.get())
        queue.Wake();
    return returned;
}

UINT_PTR SetThreadTimer(UINT_PTR nIDEvent, Clock::duration interval, TIMERPROC proc)
{
    QueuePtr queue = CurrentQueue();
    if (!queue)
        return 0;
    std::lock_guard<std::mutex> lock(queue->mutex);
    auto& timers = queue->timers;
    auto findThreadTimer = [&timers](UINT_PTR id) {
        return std::find_if(timers.begin(), timers.end(),
                            [id](const Timer& t) { return t.hwnd == nullptr && t.id == id; });
    };
    auto it = nIDEvent != 0 ? findThreadTimer(nIDEvent) : timers.end();
    if (it != timers.end()) {
        it->interval = interval;
        it->due = Clock::now() + interval;
        it->proc = proc;
        return it->id;
    }
    UINT_PTR id = queue->nextThreadTimerId++;
    while (id == 0 || findThreadTimer(id) != timers.end())
        id = queue->nextThreadTimerId++;
    timers.push_back(Timer{nullptr, id, id, interval, Clock::now() + interval, proc});
    return id;
}

bool EraseTimer(ThreadQueue& queue, HWND hWnd, UINT_PTR uIDEvent)
{
    std::lock_guard<std::mutex> lock(queue.mutex);
    auto& timers = queue.timers;
    auto it =
        std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hWnd && t.id == uIDEvent; });
    if (it == timers.end()) {
        it = std::find_if(timers.begin(), timers.end(),
                          [&](const Timer& t) { return t.hwnd == hWnd && t.returned == uIDEvent; });
    }
    if (it == timers.end())
        return false;
    timers.erase(it);
    return true;
}

}  // namespace

namespace afxdetail {

HWND RegisterWindow(CWnd* pWnd, HWND hWndParent)
{
    QueuePtr queue = CurrentQueue();
    if (!queue)
        return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    // Handles are never reused, so a stale handle is never mistaken for a new window.
    HWND hwnd = reinterpret_cast<HWND>(registry.nextHandle);
    registry.nextHandle += 4;
    registry.windows.emplace(hwnd, WindowRecord{pWnd, hWndParent, std::move(queue)});
    return hwnd;
}

void UnregisterWindow(HWND hWnd)
{
    QueuePtr owner;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        const auto it = registry.windows.find(hWnd);
        if (it == registry.windows.end())
            return;
        owner = it->second.owner;
        registry.windows.erase(it);
    }
    PurgeWindow(*owner, hWnd);
}

CWnd* WindowFromHandle(HWND hWnd)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto it = registry.windows.find(hWnd);
    return it != registry.windows.end() ? it->second.wnd : nullptr;
}

bool IsWindowOfCallingThread(HWND hWnd)
{
    QueuePtr queue = CurrentQueue();
    return queue && IsWindowOfQueue(hWnd, queue);
}

std::vector<CWnd*> ChildWindows(HWND hWndParent)
{
    std::vector<CWnd*> children;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    for (const auto& entry : registry.windows) {
        if (entry.second.parent == hWndParent)
            children.push_back(entry.second.wnd);
    }
    return children;
}

}  // namespace afxdetail

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(::gettid());
}

BOOL IsWindow(HWND hWnd)
{
    if (hWnd == nullptr)
        return FALSE;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.windows.count(hWnd) != 0;
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    const UINT elapse = std::clamp(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    const Clock::duration interval = std::chrono::milliseconds(elapse);
    if (hWnd == nullptr)
        return SetThreadTimer(nIDEvent, interval, lpTimerFunc);
    return SetWindowTimer(hWnd, nIDEvent, interval, lpTimerFunc);
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    if (hWnd == nullptr) {
        QueuePtr queue = CurrentQueue();
        return queue && EraseTimer(*queue, nullptr, uIDEvent);
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    ThreadQueue* owner = OwnerOfWindow(registry, hWnd);
    return owner != nullptr && EraseTimer(*owner, hWnd, uIDEvent);
}

BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd == nullptr)
        return PostThreadMessage(GetCurrentThreadId(), Msg, wParam, lParam);
    Registry& registry = TheRegistry();
    // Posting under the registry lock keeps a message from reaching a window
    // that DestroyWindow is purging at the same time.
    std::lock_guard<std::mutex> lock(registry.mutex);
    ThreadQueue* owner = OwnerOfWindow(registry, hWnd);
    if (owner == nullptr)
        return FALSE;
    Post(*owner, MakeMsg(hWnd, Msg, wParam, lParam));
    return TRUE;
}

BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    QueuePtr queue = idThread == GetCurrentThreadId() ? CurrentQueue() : nullptr;
    if (!queue) {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        const auto it = registry.queues.find(idThread);
        if (it != registry.queues.end())
            queue = it->second.lock();
    }
    if (!queue) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Post(*queue, MakeMsg(nullptr, Msg, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int nExitCode)
{
    QueuePtr queue = CurrentQueue();
    if (!queue)
        return;
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->quit = true;
    queue->quitCode = nExitCode;
}

BOOL GetMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    QueuePtr queue = CurrentQueue();
    if (!queue || lpMsg == nullptr || (hWnd != nullptr && !IsWindowOfQueue(hWnd, queue)))
        return -1;
    const Filter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    while (!TakeMessage(*queue, *lpMsg, filter, true))
        Wait(*queue, filter, true);
    return lpMsg->message != WM_QUIT;
}

BOOL PeekMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    QueuePtr queue = CurrentQueue();
    if (!queue || lpMsg == nullptr)
        return FALSE;
    const Filter filter{hWnd, wMsgFilterMin, wMsgFilterMax};
    Wait(*queue, filter, false);
    return TakeMessage(*queue, *lpMsg, filter, (wRemoveMsg & PM_REMOVE) != 0);
}

BOOL TranslateMessage(const MSG* lpMsg)
{
    (void)lpMsg;  // there is no keyboard input to translate
    return FALSE;
}

LRESULT DispatchMessage(const MSG* lpMsg)
{
    if (lpMsg == nullptr)
        return 0;
    const bool toWindow = lpMsg->hwnd != nullptr;
    if (toWindow && !afxdetail::IsWindowOfCallingThread(lpMsg->hwnd))
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
        return 0;
    }
    if (!toWindow)
        return 0;
    CWnd* wnd = afxdetail::WindowFromHandle(lpMsg->hwnd);
    return wnd != nullptr ? wnd->WindowProc(lpMsg->message, lpMsg->wParam, lpMsg->lParam) : 0;
}

BOOL AfxAddWaitHandle(int fd, short events, HWND hWnd, UINT message)
{
    QueuePtr queue = CurrentQueue();
    if (!queue || fd < 0 || (hWnd != nullptr && !IsWindowOfQueue(hWnd, queue)))
        return FALSE;
    std::lock_guard<std::mutex> lock(queue->mutex);
    auto& waits = queue->waits;
    const WaitHandle wait{fd, events, hWnd, message, 0};
    auto it = FindWait(waits, fd, hWnd);
    if (it != waits.end()) {
        *it = wait;
    } else {
        waits.push_back(wait);
    }
    return TRUE;
}

BOOL AfxRemoveWaitHandle(int fd, HWND hWnd)
{
    QueuePtr queue = CurrentQueue();
    if (!queue)
        return FALSE;
    std::lock_guard<std::mutex> lock(queue->mutex);
    auto& waits = queue->waits;
    const auto it = FindWait(waits, fd, hWnd);
    if (it == waits.end())
        return FALSE;
    waits.erase(it);
    return TRUE;
}
