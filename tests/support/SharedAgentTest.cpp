#include "tests/support/SharedAgentTest.h"

namespace krwtest {

CSnmpdAgent* CSharedAgentTest::agent = nullptr;
std::string CSharedAgentTest::startError;

void CSharedAgentTest::SetUpTestSuite()
{
    agent = new CSnmpdAgent();
    std::string error;
    startError.clear();
    if (!agent->Start(&error))
        startError = error.empty() ? "snmpd did not start" : error;
}

void CSharedAgentTest::TearDownTestSuite()
{
    delete agent;  // stops snmpd by its process id
    agent = nullptr;
}

void CSharedAgentTest::SetUp()
{
    ASSERT_TRUE(startError.empty()) << startError;
}

void CSharedAgentSessionTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(CSharedAgentTest::SetUp());
    int status = -1;
    snmp.reset(new Snmp(status));
    ASSERT_EQ(SNMP_CLASS_SUCCESS, status);
}

}  // namespace krwtest
