#pragma once

#include "snmplib/SnmpLib.h"
#include "tests/support/SnmpdAgent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace krwtest {

// A fixture whose tests share one test agent, started once for the whole
// suite: an agent start costs far more than most of the tests using it.
// Every test fails at once when the agent did not start.
class CSharedAgentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static CSnmpdAgent* agent;
    static std::string startError;  // empty while the agent runs
};

// The same with a session of the SNMP library, created afresh for each test.
class CSharedAgentSessionTest : public CSharedAgentTest {
protected:
    void SetUp() override;

    std::unique_ptr<Snmp> snmp;
};

}  // namespace krwtest
