#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Afx.h"

namespace {

constexpr UINT kTestAddMessage = WM_USER + 1;
constexpr UINT kTestFdMessage = WM_USER + 2;
constexpr UINT kTestDerivedMessage = WM_USER + 3;

class CRecordingWnd : public CWnd {
public:
    BOOL Create(HWND parent = nullptr)
    {
        return CreateEx(0, AfxRegisterWndClass(0), "Recording", WS_POPUP, 0, 0, 0, 0, parent, nullptr);
    }

    int Ticks() const { return ticks.load(); }
    std::vector<DWORD> TickThreads()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return tickThreads;
    }

    std::atomic<int> ticks{0};
    std::atomic<int> additions{0};
    std::atomic<int> fdWakeups{0};
    std::atomic<int> destroys{0};

protected:
    afx_msg void OnTimer(UINT_PTR) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        tickThreads.push_back(GetCurrentThreadId());
        ++ticks;
    }
    afx_msg void OnDestroy() { ++destroys; }
    afx_msg LRESULT OnAdd(WPARAM w, LPARAM l)
    {
        ++additions;
        return static_cast<LRESULT>(w) + l;
    }
    afx_msg LRESULT OnFd(WPARAM, LPARAM)
    {
        ++fdWakeups;
        return 0;
    }

    DECLARE_MESSAGE_MAP()

private:
    std::mutex mutex;
    std::vector<DWORD> tickThreads;
};

BEGIN_MESSAGE_MAP(CRecordingWnd, CWnd)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(kTestAddMessage, &CRecordingWnd::OnAdd)
    ON_MESSAGE(kTestFdMessage, &CRecordingWnd::OnFd)
END_MESSAGE_MAP()

class CDerivedWnd : public CRecordingWnd {
protected:
    afx_msg LRESULT OnDerived(WPARAM, LPARAM) { return 77; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CRecordingWnd)
    ON_MESSAGE(kTestDerivedMessage, &CDerivedWnd::OnDerived)
END_MESSAGE_MAP()

thread_local int t_probeTicks = 0;
void CALLBACK CountProbe(HWND, UINT, UINT_PTR, DWORD)
{
    ++t_probeTicks;
}

// Pumps the calling thread's messages until done() holds or the bound runs out.
// A thread timer keeps GetMessage from blocking past the bound.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 10000)
{
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 25, nullptr);
    const DWORD start = GetTickCount();
    bool reached = done();
    while (!reached && GetTickCount() - start < boundMs) {
        MSG msg;
        if (::GetMessage(&msg, nullptr, 0, 0) <= 0)
            break;
        ::DispatchMessage(&msg);
        reached = done();
    }
    ::KillTimer(nullptr, guard);
    return reached;
}

// Lets at least `ticks` periods of a 30 ms probe timer pass while pumping.
void PumpProbePeriods(int ticks)
{
    t_probeTicks = 0;
    const UINT_PTR probe = ::SetTimer(nullptr, 0, 30, CountProbe);
    ASSERT_NE(probe, 0u);
    EXPECT_TRUE(PumpUntil([ticks] { return t_probeTicks >= ticks; }));
    ::KillTimer(nullptr, probe);
}

TEST(PlatformWindow, TimerTicksOnlyOnTheLoopOfTheOwningThread)
{
    CRecordingWnd mine;
    ASSERT_TRUE(mine.Create());
    ASSERT_NE(::SetTimer(mine.m_hWnd, 0, 20, nullptr), 0u);
    const HWND mineHwnd = mine.m_hWnd;

    std::atomic<bool> otherDone{false};
    std::atomic<int> foreignMessages{0};
    std::atomic<LRESULT> foreignDispatch{-1};
    std::thread other([&] {
        CRecordingWnd theirs;
        ASSERT_TRUE(theirs.Create());
        ASSERT_NE(theirs.SetTimer(7, 20, nullptr), 0u);
        EXPECT_EQ(::GetMessage(nullptr, mineHwnd, 0, 0), -1);
        MSG msg;
        EXPECT_EQ(::GetMessage(&msg, mineHwnd, 0, 0), -1);  // not this thread's window
        const DWORD start = GetTickCount();
        while (theirs.Ticks() < 5 && GetTickCount() - start < 10000) {
            if (::GetMessage(&msg, nullptr, 0, 0) <= 0)
                break;
            if (msg.hwnd == mineHwnd)
                ++foreignMessages;
            ::DispatchMessage(&msg);
        }
        const MSG forged{mineHwnd, WM_TIMER, 0, 0, 0, {0, 0}};
        foreignDispatch = ::DispatchMessage(&forged);
        otherDone = true;
    });

    EXPECT_TRUE(PumpUntil([&] { return mine.Ticks() >= 5 && otherDone; }));
    other.join();
    EXPECT_EQ(foreignMessages.load(), 0);
    EXPECT_EQ(foreignDispatch.load(), 0);
    for (DWORD thread : mine.TickThreads())
        EXPECT_EQ(thread, GetCurrentThreadId());
}

TEST(PlatformWindow, KillTimerStopsTheTicks)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const UINT_PTR returned = ::SetTimer(wnd.m_hWnd, 0, 20, nullptr);
    ASSERT_NE(returned, 0u);
    ASSERT_TRUE(PumpUntil([&] { return wnd.Ticks() >= 2; }));
    EXPECT_TRUE(::KillTimer(wnd.m_hWnd, returned));  // the value SetTimer gave back
    EXPECT_FALSE(::KillTimer(wnd.m_hWnd, returned));
    const int ticksAtKill = wnd.Ticks();
    PumpProbePeriods(4);
    EXPECT_EQ(wnd.Ticks(), ticksAtKill);

    ASSERT_EQ(wnd.SetTimer(5, 20, nullptr), 5u);
    EXPECT_TRUE(wnd.KillTimer(5));
}

TEST(PlatformWindow, DestroyedWindowReceivesNothingMore)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const HWND hwnd = wnd.m_hWnd;
    ASSERT_NE(::SetTimer(hwnd, 0, 20, nullptr), 0u);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(::PostMessage(hwnd, kTestAddMessage, 1, 1));

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.destroys.load(), 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(::PostMessage(hwnd, kTestAddMessage, 1, 1));
    EXPECT_EQ(::SetTimer(hwnd, 0, 20, nullptr), 0u);
    EXPECT_FALSE(wnd.DestroyWindow());

    PumpProbePeriods(4);
    EXPECT_EQ(wnd.additions.load(), 0);
    EXPECT_EQ(wnd.Ticks(), 0);
}

TEST(PlatformWindow, OverdueTimerPostsOneTickOnly)
{
    CRecordingWnd fast;
    CRecordingWnd slow;
    ASSERT_TRUE(fast.Create());
    ASSERT_TRUE(slow.Create());
    ASSERT_NE(fast.SetTimer(1, 100, nullptr), 0u);
    ASSERT_NE(slow.SetTimer(1, 350, nullptr), 0u);

    // Waiting for the slow window only lets the fast timer fall due several times.
    MSG msg;
    ASSERT_GT(::GetMessage(&msg, slow.m_hWnd, WM_TIMER, WM_TIMER), 0);
    EXPECT_EQ(msg.hwnd, slow.m_hWnd);

    int fastTicks = 0;
    while (::PeekMessage(&msg, fast.m_hWnd, 0, 0, PM_REMOVE)) {
        ASSERT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
        ++fastTicks;
        ASSERT_LE(fastTicks, 3);
    }
    EXPECT_EQ(fastTicks, 1);
}

TEST(PlatformWindow, PostFromAnotherThreadWakesTheWaitingLoop)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    const HWND hwnd = wnd.m_hWnd;
    std::promise<void> waiting;
    std::thread poster([&] {
        waiting.get_future().wait();
        EXPECT_TRUE(::PostMessage(hwnd, kTestAddMessage, 2, 3));
    });
    // Only a failed wake-up would let this timer end the wait.
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, nullptr);
    waiting.set_value();
    MSG msg;
    ASSERT_GT(::GetMessage(&msg, nullptr, 0, 0), 0);
    ::KillTimer(nullptr, guard);
    poster.join();
    ASSERT_EQ(msg.message, kTestAddMessage);
    EXPECT_EQ(msg.hwnd, hwnd);
    EXPECT_EQ(::DispatchMessage(&msg), 5);
    EXPECT_EQ(wnd.additions.load(), 1);
}

TEST(PlatformWindow, WaitHandleWakesTheLoopWithOneMessageAtATime)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_TRUE(AfxAddWaitHandle(fds[0], POLLIN, wnd.m_hWnd, kTestFdMessage));
    MSG msg;
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));

    std::thread writer([&] { EXPECT_EQ(::write(fds[1], "x", 1), 1); });
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, nullptr);
    ASSERT_GT(::GetMessage(&msg, nullptr, 0, 0), 0);
    ::KillTimer(nullptr, guard);
    writer.join();
    ASSERT_EQ(msg.message, kTestFdMessage);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(fds[0]));
    EXPECT_TRUE(msg.lParam & POLLIN);
    ::DispatchMessage(&msg);
    EXPECT_EQ(wnd.fdWakeups.load(), 1);

    // Still readable: the next look reports it again, but never twice at once.
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, kTestFdMessage);
    char byte;
    ASSERT_EQ(::read(fds[0], &byte, 1), 1);
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

    EXPECT_TRUE(AfxRemoveWaitHandle(fds[0], wnd.m_hWnd));
    EXPECT_FALSE(AfxRemoveWaitHandle(fds[0], wnd.m_hWnd));
    ASSERT_EQ(::write(fds[1], "y", 1), 1);
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(PlatformWindow, WaitHandleBelongsToItsWindowAndItsThread)
{
    CRecordingWnd first;
    CRecordingWnd second;
    ASSERT_TRUE(first.Create());
    ASSERT_TRUE(second.Create());
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_TRUE(AfxAddWaitHandle(fds[0], POLLIN, first.m_hWnd, kTestFdMessage));
    ASSERT_TRUE(AfxAddWaitHandle(fds[0], POLLIN, second.m_hWnd, kTestFdMessage));
    // Another thread cannot make this thread's window wait on anything.
    std::thread foreign([&] { EXPECT_FALSE(AfxAddWaitHandle(fds[0], POLLIN, first.m_hWnd, kTestAddMessage)); });
    foreign.join();

    // One owner letting go leaves the other's registration of the same number.
    EXPECT_TRUE(AfxRemoveWaitHandle(fds[0], first.m_hWnd));
    EXPECT_FALSE(AfxRemoveWaitHandle(fds[0], first.m_hWnd));
    ASSERT_EQ(::write(fds[1], "x", 1), 1);
    MSG msg;
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, second.m_hWnd);
    EXPECT_EQ(msg.message, kTestFdMessage);

    // A destroyed window's registrations go with it.
    second.DestroyWindow();
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(AfxRemoveWaitHandle(fds[0], second.m_hWnd));
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(PlatformWindow, QuitComesAfterPostedMessagesAndEndsThePump)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    ASSERT_TRUE(wnd.PostMessage(kTestAddMessage, 1, 2));
    ::PostQuitMessage(3);

    MSG msg;
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, kTestAddMessage);
    CWinThread thread;
    EXPECT_TRUE(thread.PumpMessage());
    EXPECT_EQ(wnd.additions.load(), 1);
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));  // WM_QUIT ignores filters
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(::GetMessage(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);

    ::PostQuitMessage(0);
    EXPECT_FALSE(thread.PumpMessage());
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(PlatformWindow, MessageMapsChainToTheBaseClass)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.SendMessage(kTestDerivedMessage), 77);
    EXPECT_EQ(wnd.SendMessage(kTestAddMessage, 4, 5), 9);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 99), 0);
    EXPECT_EQ(CWnd::FromHandle(wnd.m_hWnd), &wnd);

    wnd.SendMessage(WM_CLOSE);  // the default handling destroys the window
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(wnd.destroys.load(), 1);
}

TEST(PlatformWindow, CreationChecksClassAndParentAndChildrenGoWithTheParent)
{
    CRecordingWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "x", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(wnd.Create(reinterpret_cast<HWND>(0x1234)));
    EXPECT_EQ(wnd.m_hWnd, nullptr);

    CRecordingWnd parent;
    ASSERT_TRUE(parent.Create());
    EXPECT_FALSE(parent.Create());  // already has a window
    ASSERT_TRUE(wnd.Create(parent.m_hWnd));
    CString title;
    wnd.GetWindowText(title);
    EXPECT_EQ(title, "Recording");
    EXPECT_EQ(wnd.GetStyle(), WS_POPUP);

    const HWND child = wnd.m_hWnd;
    EXPECT_TRUE(parent.DestroyWindow());
    EXPECT_FALSE(::IsWindow(child));
    EXPECT_EQ(wnd.destroys.load(), 1);
}

TEST(PlatformWindow, WindowsGoWithTheThreadThatCreatedThem)
{
    CRecordingWnd wnd;
    std::thread creator([&] { ASSERT_TRUE(wnd.Create()); });
    creator.join();
    ASSERT_NE(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(wnd.m_hWnd));
    EXPECT_FALSE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(PlatformWindow, PeekWithoutRemoveLeavesTheMessage)
{
    ASSERT_TRUE(::PostMessage(nullptr, kTestAddMessage, 0, 0));  // a thread message
    MSG msg;
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, kTestAddMessage, kTestAddMessage, PM_REMOVE));
    EXPECT_EQ(::DispatchMessage(&msg), 0);
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(::PostThreadMessage(GetCurrentThreadId(), kTestAddMessage, 0, 0));
    EXPECT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
