#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "snmplib/Address.h"
#include "snmplib/Target.h"

namespace {

TEST(SnmplibIpAddress, DottedTextAndNames)
{
    struct Case {
        const char* text;
        const char* printable;  // empty: invalid
    };
    const Case cases[] = {
        {"192.0.2.1", "192.0.2.1"},
        {"255.255.255.255", "255.255.255.255"},
        {"localhost", "127.0.0.1"},
        {"300.1.1.1", ""},
        {"", ""},
        {" 127.0.0.1", ""},
        {"no-such-host.invalid", ""},
        // Broken numbers and texts that cannot be names never reach the resolver.
        {"1.2.3", ""},
        {"256.1.1.1", ""},
        {"1.2.3.4.5", ""},
        {"2001:db8::1", ""},
        {"caf\xc3\xa9.example", ""},
        {"-a.example", ""},
        {"a..example", ""},
    };
    const std::string longName = std::string(10000, 'a') + ".example";
    EXPECT_FALSE(IpAddress(longName).valid());
    EXPECT_FALSE(IpAddress(std::string("127.0.0.1\0", 10)).valid());
    for (const Case& c : cases) {
        const IpAddress ip(c.text);
        EXPECT_EQ(ip.valid(), c.printable[0] != '\0') << c.text;
        EXPECT_STREQ(ip.get_printable(), c.printable) << c.text;
    }
    const IpAddress ip("10.1.2.3");
    EXPECT_EQ(ip[0], 10);
    EXPECT_EQ(ip[3], 3);
    EXPECT_EQ(ip[4], 0);
    EXPECT_EQ(ip[-1], 0);
}

TEST(SnmplibIpAddress, FromRawOctets)
{
    const unsigned char raw[] = {192, 0, 2, 9, 1};
    IpAddress ip;
    EXPECT_TRUE(ip.set_octets(raw, 4));
    EXPECT_STREQ(ip.get_printable(), "192.0.2.9");
    EXPECT_FALSE(ip.set_octets(raw, 5));
    EXPECT_FALSE(ip.valid());
    EXPECT_FALSE(ip.set_octets(raw, 3));
    EXPECT_FALSE(ip.set_octets(nullptr, 4));
}

TEST(SnmplibUdpAddress, Parsing)
{
    struct Case {
        const char* text;
        bool valid;
        unsigned short port;
        const char* printable;
    };
    const Case cases[] = {
        {"127.0.0.1", true, 161, "127.0.0.1/161"},
        {"127.0.0.1:16201", true, 16201, "127.0.0.1/16201"},
        {"127.0.0.1/162", true, 162, "127.0.0.1/162"},
        {"localhost:1161", true, 1161, "127.0.0.1/1161"},
        {"localhost", true, 161, "127.0.0.1/161"},
        {"10.0.0.1/0", true, 0, "10.0.0.1/0"},
        {"10.0.0.1/65535", true, 65535, "10.0.0.1/65535"},
        {"10.0.0.1/65536", false, 161, ""},
        {"10.0.0.1:", false, 161, ""},
        {"10.0.0.1:16x", false, 161, ""},
        {"10.0.0.1:-1", false, 161, ""},
        {":161", false, 161, ""},
        {"", false, 161, ""},
        {"::1", false, 161, ""},
        {"no-such-host.invalid:161", false, 161, ""},
    };
    for (const Case& c : cases) {
        const UdpAddress a(c.text);
        EXPECT_EQ(a.valid(), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(a.get_port(), c.port) << c.text;
        }
        EXPECT_STREQ(a.get_printable(), c.printable) << c.text;
    }
}

TEST(SnmplibUdpAddress, SetPortAndCompare)
{
    UdpAddress a("192.0.2.1");
    a.set_port(16161);
    EXPECT_STREQ(a.get_printable(), "192.0.2.1/16161");
    EXPECT_TRUE(a == UdpAddress("192.0.2.1:16161"));
    EXPECT_FALSE(a == UdpAddress("192.0.2.1:16162"));
    // Seen through its base, the address keeps its port.
    const IpAddress& base = a;
    EXPECT_STREQ(base.get_printable(), "192.0.2.1/16161");
    EXPECT_STREQ(GenAddress(base).get_printable(), "192.0.2.1/16161");
    CTarget target;
    ASSERT_TRUE(target.set_address(base));
    EXPECT_EQ(target.get_udp_address().get_port(), 16161);
}

TEST(SnmplibGenAddress, PrintableIsAddressSlashPort)
{
    UdpAddress udp("127.0.0.1");
    udp.set_port(16201);
    EXPECT_STREQ(GenAddress(udp).get_printable(), "127.0.0.1/16201");
    EXPECT_EQ(GenAddress(udp).get_type(), GenAddress::type_udp);
    EXPECT_STREQ(GenAddress("10.0.0.5:99").get_printable(), "10.0.0.5/99");
    EXPECT_STREQ(GenAddress("10.0.0.5").get_printable(), "10.0.0.5");
    EXPECT_EQ(GenAddress("10.0.0.5").get_type(), GenAddress::type_ip);
    EXPECT_FALSE(GenAddress("10.0.0.500").valid());
    EXPECT_STREQ(GenAddress("10.0.0.500").get_printable(), "");
    EXPECT_FALSE(GenAddress().valid());
}

TEST(SnmplibTarget, AddressRoundTripsThroughGenAddress)
{
    UdpAddress address("127.0.0.1");
    address.set_port(16202);
    CTarget target(address);
    target.set_readcommunity("garnet");
    target.set_writecommunity("harbour");
    target.set_version(version2c);
    target.set_timeout(250);
    target.set_retry(3);

    std::unique_ptr<SnmpTarget> copy(target.clone());
    ASSERT_EQ(copy->get_type(), SnmpTarget::type_ctarget);
    GenAddress gen;
    ASSERT_TRUE(copy->get_address(gen));
    EXPECT_STREQ(gen.get_printable(), "127.0.0.1/16202");
    EXPECT_EQ(copy->get_version(), version2c);
    EXPECT_EQ(copy->get_timeout(), 250UL);
    EXPECT_EQ(copy->get_retry(), 3);
    const CTarget& ct = static_cast<const CTarget&>(*copy);
    EXPECT_EQ(ct.get_readcommunity(), OctetStr("garnet"));
    EXPECT_EQ(ct.get_writecommunity(), OctetStr("harbour"));
}

TEST(SnmplibTarget, DefaultsAndInvalidAddresses)
{
    CTarget ct;
    EXPECT_FALSE(ct.valid());
    EXPECT_EQ(ct.get_version(), version1);
    EXPECT_EQ(ct.get_timeout(), 100UL);
    EXPECT_EQ(ct.get_retry(), 1);
    EXPECT_EQ(ct.get_readcommunity(), OctetStr("public"));
    ct.set_retry(-4);
    EXPECT_EQ(ct.get_retry(), 0);

    EXPECT_TRUE(ct.set_address(IpAddress("192.0.2.2")));
    EXPECT_STREQ(ct.get_udp_address().get_printable(), "192.0.2.2/161");
    EXPECT_FALSE(ct.set_address(UdpAddress("bad..address")));
    EXPECT_FALSE(ct.set_address(GenAddress("")));
    EXPECT_STREQ(ct.get_udp_address().get_printable(), "192.0.2.2/161");
    EXPECT_TRUE(ct.valid());

    UTarget ut(UdpAddress("192.0.2.3:1161"), "operator", SNMP_SECURITY_MODEL_USM);
    EXPECT_EQ(ut.get_version(), version3);
    EXPECT_EQ(ut.get_security_name(), OctetStr("operator"));
    EXPECT_EQ(ut.get_security_model(), SNMP_SECURITY_MODEL_USM);
    std::unique_ptr<SnmpTarget> copy(ut.clone());
    EXPECT_EQ(copy->get_type(), SnmpTarget::type_utarget);
    EXPECT_EQ(UTarget().get_version(), version3);
}

}  // namespace
