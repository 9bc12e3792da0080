// The hosts' message loop: their own thread messages and periodic actions
// are theirs, everything else is dispatched, and a run ends when its host is
// done, at its deadline or on WM_QUIT.

#include "hostlib/HostMessageLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const UINT kOwnMessage = WM_APP + 1;
const UINT kOtherMessage = WM_APP + 2;
const UINT kGenerousMs = 30000;

void Post(UINT message)
{
    ::PostThreadMessage(::GetCurrentThreadId(), message, 0, 0);
}

TEST(HostMessageLoopTest, TheHostsMessagesAndTimersGoToItsActions)
{
    CHostMessageLoop loop;
    int own = 0;
    int ticks = 0;
    std::vector<MSG> dispatched;
    loop.OnThreadMessage(kOwnMessage, [&] { ++own; });
    loop.Every(5, [&] { ++ticks; });
    loop.Watch([&](const MSG& msg) { dispatched.push_back(msg); });
    Post(kOwnMessage);
    Post(kOtherMessage);
    ASSERT_TRUE(loop.Run(kGenerousMs, [&] { return own == 1 && ticks >= 3; }));
    ASSERT_EQ(1u, dispatched.size());
    EXPECT_EQ(kOtherMessage, dispatched[0].message);
}

TEST(HostMessageLoopTest, ARunEndsAtItsDeadlineOnQuitOrWhenDone)
{
    CHostMessageLoop loop;
    int ticks = 0;
    loop.Every(10, [&] { ++ticks; });
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(loop.Run(100, [] { return false; }));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(ms, 90);
    EXPECT_LT(ms, kGenerousMs);
    EXPECT_GE(ticks, 2);

    Post(WM_QUIT);
    EXPECT_FALSE(loop.Run(CHostMessageLoop::kUnbounded));
    EXPECT_TRUE(loop.Run(CHostMessageLoop::kUnbounded, [] { return true; }));
}

}  // namespace
