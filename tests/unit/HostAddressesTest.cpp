// The hosts resolve exactly the names the plug-in would take as host names.

#include "hostlib/HostAddresses.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostAddressesTest, HostNamesFollowThePluginsRule)
{
    const std::string label63(63, 'a');
    const struct {
        std::string name;
        bool hostName;
    } cases[] = {
        {"localhost", true},
        {"ap-7_b.example.", true},
        {"1ap.example", true},
        {label63 + ".example", true},
        {label63 + "a.example", false},
        {label63 + "." + label63 + "." + label63 + "." + std::string(61, 'a'), true},
        {label63 + "." + label63 + "." + label63 + "." + std::string(62, 'a'), false},
        {"", false},
        {".", false},
        {"ap..example", false},
        {".example", false},
        {"-ap.example", false},
        {"ap-.example", false},
        {"ap example", false},
        {"ap:161", false},
        {"1.2.3", false},
        {"0x7f.1", false},
        {"256.1.1.1.", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.hostName, MayBeHostName(c.name)) << c.name;
}

TEST(HostAddressesTest, NamesOfOneAddressShareARetrieval)
{
    const std::vector<CHostTarget> targets = GroupHostAddresses({"127.0.0.1", "ap..example", "localhost", "127.0.0.1"});
    ASSERT_EQ(2u, targets.size());
    EXPECT_EQ("127.0.0.1", targets[0].address);
    EXPECT_EQ((std::vector<size_t>{0, 2, 3}), targets[0].names);
    // A name the plug-in would refuse goes to it as given, so it says why.
    EXPECT_EQ("ap..example", targets[1].address);
}

}  // namespace
