// The bound of a retrieval's rows, against an agent whose table never ends:
// with a module built with a small bound, and once with the real one where
// the suite runs at full speed (it takes 131,000 requests).

#include "plugin/ClientWalks.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/PluginTest.h"
#include "tests/support/ScriptedResponder.h"

#include <gtest/gtest.h>

namespace {

class PluginWalkBoundTest : public krwtest::CPluginTest {
protected:
    // The walk that reaches the bound fails in one report, and leaves nothing
    // behind: the next retrieval follows a refresh after which the table has
    // three rows, and reports those three.
    void ExpectTheWalkToStopAtTheBound(int bound, unsigned waitMs)
    {
        krwtest::CScriptedResponder agent({"--rows", "-1,3", "--log-requests"});
        std::string error;
        ASSERT_TRUE(agent.Start(&error)) << error;
        host.SetParameters("public", "private", agent.Port(), 100);
        host.Retrieve("127.0.0.1", 1);
        // The agent's lines are read while it runs, so that a full pipe never stops it.
        ASSERT_TRUE(krwtest::RunMessagesUntil(
            [&] {
                agent.Logged("request get-next");
                return !host.reports.empty();
            },
            waitMs));
        EXPECT_EQ(1, host.reports[0].status);
        EXPECT_EQ("(VaZARO++) Too many rows in the SNMP table!", host.reports[0].message);
        EXPECT_EQ(0, host.reports[0].count);
        // The step that brings the row past the bound is the last one.
        ExpectGetNexts(agent, bound + 1);
        host.Retrieve("127.0.0.1", 2);
        ASSERT_TRUE(host.WaitForReports(2));
        host.Unload();
        ASSERT_EQ(2u, host.reports.size());
        EXPECT_EQ(2u, host.reports[1].context);
        EXPECT_EQ(0, host.reports[1].status);
        EXPECT_EQ(3, host.reports[1].count);
        ExpectGetNexts(agent, bound + 1 + 4);
    }

    // The agent has logged count get-nexts, and no more.
    static void ExpectGetNexts(krwtest::CScriptedResponder& agent, int count)
    {
        krwtest::RunMessagesUntil([&] { return agent.Logged("request get-next") >= count; }, 10000);
        EXPECT_EQ(count, agent.Logged("request get-next"));
    }
};

TEST_F(PluginWalkBoundTest, AWalkOfRowsWithoutEndFailsAtTheBound)
{
    host.Unload();
    std::string error;
    ASSERT_TRUE(host.Load(&error, KRW_ROW_BOUND_MODULE)) << error;
    ExpectTheWalkToStopAtTheBound(KRW_ROW_BOUND, 60000);
}

TEST_F(PluginWalkBoundTest, TheRealBoundIsReached)
{
#ifdef KRW_SANITIZED
    GTEST_SKIP() << "131,000 requests: run by the suite without the sanitizers";
#endif
    ExpectTheWalkToStopAtTheBound(kMaxClientRows, 240000);
}

}  // namespace
