#include "snmpfw/EventProcessorWnd.h"
#include "snmpfw/SnmpSession.h"

#include <gtest/gtest.h>

// Runs in a process whose session has never been started.
namespace {

TEST(SnmpSessionFresh, BeforeStartNothingExistsAndStopDoesNothing)
{
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
    EXPECT_EQ(CSnmpSession::GetEventProcessor().GetSafeHwnd(), nullptr);

    const CSnmpTargetParams& params = CSnmpSession::GetDefaultTargetParams();
    EXPECT_EQ(params.timeout, 0);
    EXPECT_EQ(params.retries, 0);
    EXPECT_TRUE(params.address.IsEmpty());
    EXPECT_EQ(params.port, 0);
    EXPECT_TRUE(params.readCommunity.IsEmpty());
    EXPECT_TRUE(params.writeCommunity.IsEmpty());
    EXPECT_EQ(params.version, 0);
    EXPECT_EQ(params.securityModel, 0);
    EXPECT_EQ(params.securityLevel, 0);
    EXPECT_EQ(params.authProtocol, 0);
    EXPECT_EQ(params.privProtocol, 0);

    CSnmpSession::Stop();
    CSnmpSession::Stop();
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
    EXPECT_EQ(CSnmpSession::GetEventProcessor().GetSafeHwnd(), nullptr);
    EXPECT_EQ(CSnmpSession::GetDefaultTargetParams().timeout, 0);
}

}  // namespace
