// The bound of a retrieval's rows, against an agent whose table never ends;
// apart from the other retrievals, as it takes 131,000 requests.

#include "plugin/ClientWalks.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/PluginTest.h"
#include "tests/support/ScriptedResponder.h"

#include <gtest/gtest.h>

namespace {

using PluginWalkBoundTest = krwtest::CPluginTest;

// An agent whose table never ends: the walk stops at the bound of rows
// without a report, and its rows stay for the next retrieval. That one
// follows a refresh after which the table has three rows, all of them
// among the first ones: it reports exactly the rows of the bound.
TEST_F(PluginWalkBoundTest, AWalkOfRowsWithoutEndStopsAtTheBound)
{
    krwtest::CScriptedResponder agent({"--rows", "-1,3", "--log-requests"});
    std::string error;
    ASSERT_TRUE(agent.Start(&error)) << error;
    host.SetParameters("public", "private", agent.Port(), 100);
    host.Retrieve("127.0.0.1", 1);
    // The step that brings the row past the bound is the last one; its
    // answer comes on the socket the next retrieval's requests use, before
    // theirs.
    ASSERT_TRUE(
        krwtest::RunMessagesUntil([&] { return agent.Logged("request get-next") >= kMaxClientRows + 1; }, 240000));
    host.Retrieve("127.0.0.1", 2);
    ASSERT_TRUE(host.WaitForReports(1, 60000));
    host.Unload();
    ASSERT_EQ(1u, host.reports.size());
    EXPECT_EQ(2u, host.reports[0].context);
    EXPECT_EQ(kMaxClientRows, host.reports[0].count);
    EXPECT_EQ(kMaxClientRows + 1 + 4, agent.Logged("request get-next"));
}

}  // namespace
