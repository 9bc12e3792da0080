#include "snmpfw/EventProcessorWnd.h"
#include "snmpfw/SnmpSession.h"

#include <gtest/gtest.h>

// The session is never started in this process: every tick finds no work
// for the library and must do nothing but restart the timer.
namespace {

// Pumps this thread's messages until `ticks` timer messages for hwnd have been
// dispatched or a reference thread timer of waitMs fires. Returns the ticks seen.
int PumpTicks(HWND hwnd, int ticks, UINT waitMs)
{
    const UINT_PTR reference = ::SetTimer(nullptr, 0, waitMs, nullptr);
    int seen = 0;
    MSG msg;
    for (int guard = 0; guard < 100000 && seen < ticks; ++guard) {
        if (::GetMessage(&msg, nullptr, 0, 0) <= 0)
            break;
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == reference)
            break;
        if (msg.message == WM_TIMER && msg.hwnd == hwnd)
            ++seen;
        ::DispatchMessage(&msg);
    }
    ::KillTimer(nullptr, reference);
    return seen;
}

const UINT kGenerousMs = 10000;
// About ten tick intervals of the processor.
const UINT kQuietMs = 200;

TEST(EventProcessorWnd, KeepsTickingWithoutASession)
{
    ASSERT_EQ(CSnmpSession::GetSnmp(), nullptr);
    CEventProcessorWnd processor;
    ASSERT_TRUE(processor.Create());
    ASSERT_TRUE(::IsWindow(processor.GetSafeHwnd()));
    // A single timer message is queued at a time, so every tick after the
    // first one proves that the handler started the timer again.
    EXPECT_EQ(PumpTicks(processor.GetSafeHwnd(), 5, kGenerousMs), 5);
}

TEST(EventProcessorWnd, StopTimerEndsTheTicksAndCreateStartsThemAgain)
{
    CEventProcessorWnd processor;
    ASSERT_TRUE(processor.Create());
    const HWND hwnd = processor.GetSafeHwnd();
    ASSERT_EQ(PumpTicks(hwnd, 1, kGenerousMs), 1);

    EXPECT_TRUE(processor.StopTimer());
    EXPECT_EQ(PumpTicks(hwnd, 1, kQuietMs), 0);
    EXPECT_TRUE(::IsWindow(hwnd));

    // As after a session restart: same window, timer running again.
    ASSERT_TRUE(processor.Create());
    EXPECT_EQ(processor.GetSafeHwnd(), hwnd);
    EXPECT_EQ(PumpTicks(hwnd, 2, kGenerousMs), 2);
}

TEST(EventProcessorWnd, NoTicksOnceTheWindowIsGone)
{
    HWND hwnd = nullptr;
    {
        CEventProcessorWnd processor;
        ASSERT_TRUE(processor.Create());
        hwnd = processor.GetSafeHwnd();
        ASSERT_EQ(PumpTicks(hwnd, 1, kGenerousMs), 1);
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(PumpTicks(hwnd, 1, kQuietMs), 0);
}

TEST(EventProcessorWnd, DestroyingAnAlreadyDestroyedWindowLeavesOthersAlone)
{
    CEventProcessorWnd other;
    ASSERT_TRUE(other.Create());
    {
        CEventProcessorWnd processor;
        ASSERT_TRUE(processor.Create());
        ASSERT_TRUE(processor.DestroyWindow());
    }
    EXPECT_TRUE(::IsWindow(other.GetSafeHwnd()));
    EXPECT_EQ(PumpTicks(other.GetSafeHwnd(), 2, kGenerousMs), 2);
}

}  // namespace
