// ADDRESS:PORT as every program reads it: which texts carry a port, and
// which of those are refused.

#include "tools/cli/CliAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(CliAddressTest, PortsAreSplitOffOnlyWhereTheAddressLeavesNoDoubt)
{
    const struct {
        const char* text;
        const char* address;
        bool bracketed;
        bool hasPort;
        bool valid;
        int port;
    } cases[] = {
        {"192.0.2.1", "192.0.2.1", false, false, true, 0},
        {"192.0.2.1:161", "192.0.2.1", false, true, true, 161},
        {"ap.example:0", "ap.example", false, true, true, 0},
        {":9180", "", false, true, true, 9180},
        {"[::1]:65535", "::1", true, true, true, 65535},
        {"[]:80", "", true, true, true, 80},
        {"192.0.2.1:65536", "192.0.2.1", false, true, false, 0},
        {"192.0.2.1:000161", "192.0.2.1", false, true, false, 0},
        {"192.0.2.1:99999999999", "192.0.2.1", false, true, false, 0},
        // No port: the text is an address as a whole.
        {"::1:9180", "::1:9180", false, false, true, 0},
        {"[::1]", "[::1]", false, false, true, 0},
        {"[a:b]c:80", "[a:b]c:80", false, false, true, 0},
        {"192.0.2.1:", "192.0.2.1:", false, false, true, 0},
        {"192.0.2.1:-1", "192.0.2.1:-1", false, false, true, 0},
        {"192.0.2.1:16a", "192.0.2.1:16a", false, false, true, 0},
    };
    for (const auto& c : cases) {
        const CAddressPort split = SplitAddressPort(c.text);
        EXPECT_EQ(c.address, split.address) << c.text;
        EXPECT_EQ(c.bracketed, split.bracketed) << c.text;
        EXPECT_EQ(c.hasPort, split.hasPort) << c.text;
        EXPECT_EQ(c.valid, split.valid) << c.text;
        EXPECT_EQ(c.port, split.port) << c.text;
    }
}

}  // namespace
