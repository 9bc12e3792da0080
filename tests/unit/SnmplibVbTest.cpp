#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "snmplib/Pdu.h"
#include "snmplib/SnmpErrors.h"
#include "snmplib/Vb.h"

namespace {

Vb IntegerVb(long v)
{
    Vb vb(Oid("1.3.6.1.2.1.1.7.0"));
    vb.set_value(v);
    return vb;
}

Vb OctetsVb(const char* text)
{
    Vb vb(Oid("1.3.6.1.2.1.1.5.0"));
    vb.set_value(text);
    return vb;
}

TEST(SnmplibVb, NewBindingIsNull)
{
    const Vb vb;
    EXPECT_EQ(vb.get_syntax(), static_cast<SmiUINT32>(sNMP_SYNTAX_NULL));
    EXPECT_STREQ(vb.get_printable_value(), "");
    EXPECT_FALSE(vb.valid());  // no identifier yet
    EXPECT_TRUE(Vb(Oid("1.3")).valid());
}

TEST(SnmplibVb, ValuesRoundTripWithTheirSyntax)
{
    Vb vb(Oid("1.3.6.1"));
    long l = 0;
    vb.set_value(-5);
    EXPECT_EQ(vb.get_syntax(), static_cast<SmiUINT32>(sNMP_SYNTAX_INT32));
    ASSERT_EQ(vb.get_value(l), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(l, -5);
    EXPECT_STREQ(vb.get_printable_value(), "-5");

    unsigned long ul = 0;
    vb.set_value(Gauge32(4294967295UL));
    EXPECT_EQ(vb.get_syntax(), static_cast<SmiUINT32>(sNMP_SYNTAX_GAUGE32));
    ASSERT_EQ(vb.get_value(ul), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(ul, 4294967295UL);
    EXPECT_STREQ(vb.get_printable_value(), "4294967295");

    Counter32 c32;
    vb.set_value(Counter32(7));
    EXPECT_EQ(vb.get_syntax(), static_cast<SmiUINT32>(sNMP_SYNTAX_CNTR32));
    ASSERT_EQ(vb.get_value(c32), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(static_cast<unsigned long>(c32), 7UL);

    TimeTicks tt;
    vb.set_value(TimeTicks(8640000UL + 360000UL + 6000UL + 100UL + 1UL));
    ASSERT_EQ(vb.get_value(tt), SNMP_CLASS_SUCCESS);
    EXPECT_STREQ(vb.get_printable_value(), "1 day 1:01:01.01");

    Counter64 c64;
    vb.set_value(Counter64(0xFFFFFFFFUL, 0xFFFFFFFEUL));
    ASSERT_EQ(vb.get_value(c64), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(c64.high(), 0xFFFFFFFFUL);
    EXPECT_EQ(c64.low(), 0xFFFFFFFEUL);
    EXPECT_STREQ(vb.get_printable_value(), "18446744073709551614");

    Oid oid;
    vb.set_value(Oid("1.3.6.1.4.1"));
    ASSERT_EQ(vb.get_value(oid), SNMP_CLASS_SUCCESS);
    EXPECT_STREQ(oid.get_printable(), "1.3.6.1.4.1");
    EXPECT_STREQ(vb.get_printable_value(), "1.3.6.1.4.1");

    IpAddress ip;
    vb.set_value(IpAddress("192.0.2.7"));
    ASSERT_EQ(vb.get_value(ip), SNMP_CLASS_SUCCESS);
    EXPECT_STREQ(ip.get_printable(), "192.0.2.7");
    EXPECT_STREQ(vb.get_printable_value(), "192.0.2.7");

    OctetStr os;
    const unsigned char raw[] = {0x00, 0x0D, 0x88};
    vb.set_value(raw, 3);
    ASSERT_EQ(vb.get_value(os), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(os, OctetStr(raw, 3));
}

TEST(SnmplibVb, LongIsKeptAs32BitInteger)
{
    int i = 0;
    ASSERT_EQ(IntegerVb(0x100000005L).get_value(i), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(i, 5);
    long l = 0;
    ASSERT_EQ(IntegerVb(0xFFFFFFFFL).get_value(l), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(l, -1);
}

TEST(SnmplibVb, IntegerSyntaxesReadIntoAnyIntegerType)
{
    Vb vb(Oid("1.3"));
    vb.set_value(-1);
    unsigned long ul = 0;
    ASSERT_EQ(vb.get_value(ul), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(ul, 4294967295UL);

    vb.set_value(TimeTicks(4294967295UL));
    long l = 0;
    int i = 0;
    ASSERT_EQ(vb.get_value(l), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(l, 4294967295L);
    ASSERT_EQ(vb.get_value(i), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(i, -1);

    Counter64 c64;
    vb.set_value(Counter32(9));
    ASSERT_EQ(vb.get_value(c64), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(c64.value(), 9ULL);
}

TEST(SnmplibVb, MismatchedTypeFailsAndLeavesTargetAlone)
{
    Vb counter64(Oid("1.3"));
    counter64.set_value(Counter64(1ULL << 40));
    Vb oidVb(Oid("1.3"));
    oidVb.set_value(Oid("1.3.6"));
    Vb nullVb(Oid("1.3"));
    Vb endOfView(Oid("1.3"));
    endOfView.set_exception_status(sNMP_SYNTAX_ENDOFMIBVIEW);
    const Vb octets = OctetsVb("abc");
    const Vb integer = IntegerVb(42);

    OctetStr os("kept");
    long l = 77;
    unsigned long ul = 77;
    Oid oid("9.9");
    IpAddress ip("10.0.0.1");
    Counter64 c64(5);
    TimeTicks tt(5);
    Counter32 c32(5);
    Gauge32 g32(5);

    EXPECT_EQ(integer.get_value(os), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(oid), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(ip), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(c64), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(tt), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(c32), SNMP_CLASS_INVALID);
    EXPECT_EQ(integer.get_value(g32), SNMP_CLASS_INVALID);
    EXPECT_EQ(octets.get_value(l), SNMP_CLASS_INVALID);
    EXPECT_EQ(octets.get_value(oid), SNMP_CLASS_INVALID);
    EXPECT_EQ(counter64.get_value(ul), SNMP_CLASS_INVALID);
    EXPECT_EQ(oidVb.get_value(os), SNMP_CLASS_INVALID);
    EXPECT_EQ(nullVb.get_value(l), SNMP_CLASS_INVALID);
    EXPECT_EQ(endOfView.get_value(os), SNMP_CLASS_INVALID);

    EXPECT_EQ(os, OctetStr("kept"));
    EXPECT_EQ(l, 77);
    EXPECT_EQ(ul, 77UL);
    EXPECT_STREQ(oid.get_printable(), "9.9");
    EXPECT_STREQ(ip.get_printable(), "10.0.0.1");
    EXPECT_EQ(c64.value(), 5ULL);
    EXPECT_EQ(static_cast<unsigned long>(tt), 5UL);
}

TEST(SnmplibVb, BoundedCopyOfOctets)
{
    const Vb vb = OctetsVb("abcd");
    unsigned char buf[8];
    std::memset(buf, 'x', sizeof buf);
    unsigned long len = 99;
    EXPECT_EQ(vb.get_value(buf, len, 3), SNMP_CLASS_INVALID);
    EXPECT_EQ(len, 99UL);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(vb.get_value(buf, len, 4, true), SNMP_CLASS_INVALID);
    ASSERT_EQ(vb.get_value(buf, len, 5, true), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(len, 4UL);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "abcd");

    char text[5];
    ASSERT_EQ(vb.get_value(text, sizeof text), SNMP_CLASS_SUCCESS);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(vb.get_value(text, 4), SNMP_CLASS_INVALID);
    EXPECT_EQ(IntegerVb(1).get_value(text, sizeof text), SNMP_CLASS_INVALID);
}

TEST(SnmplibVb, PrintableValueIsEmptyForNoValue)
{
    const SmiUINT32 exceptions[] = {sNMP_SYNTAX_NOSUCHOBJECT, sNMP_SYNTAX_NOSUCHINSTANCE, sNMP_SYNTAX_ENDOFMIBVIEW};
    for (SmiUINT32 e : exceptions) {
        Vb vb = IntegerVb(3);
        vb.set_exception_status(e);
        EXPECT_EQ(vb.get_syntax(), e);
        EXPECT_EQ(vb.get_exception_status(), e);
        EXPECT_STREQ(vb.get_printable_value(), "");
    }
    Vb vb = IntegerVb(3);
    EXPECT_EQ(vb.get_exception_status(), 0UL);
    vb.set_null();
    EXPECT_STREQ(vb.get_printable_value(), "");
    EXPECT_STREQ(OctetsVb("").get_printable_value(), "");
    EXPECT_STREQ(IntegerVb(0).get_printable_value(), "0");
    vb.set_exception_status(0x42);
    EXPECT_EQ(vb.get_syntax(), static_cast<SmiUINT32>(sNMP_SYNTAX_NULL));

    // Whether the text is empty is told without making it, alike for every kind of value.
    std::vector<Vb> values{IntegerVb(0), OctetsVb(""), OctetsVb("ab"), vb};
    for (SmiUINT32 e : exceptions) {
        values.push_back(IntegerVb(1));
        values.back().set_exception_status(e);
    }
    const unsigned char zero = 0;
    values.emplace_back(Oid("1.3"));
    values.back().set_value(&zero, 1);
    const auto add = [&values](const auto& value) {
        values.emplace_back(Oid("1.3"));
        values.back().set_value(value);
    };
    add(TimeTicks(0));
    add(Counter64(0));
    add(Gauge32(0));
    add(IpAddress("192.0.2.1"));
    add(IpAddress("not an address"));
    add(Oid("1.3.6"));
    add(Oid());
    add(Oid("1..2"));
    for (const Vb& value : values)
        EXPECT_EQ(value.printable_value_empty(), *value.get_printable_value() == '\0') << value.get_syntax();
}

TEST(SnmplibVb, SetSyntaxKeepsCompatibleValues)
{
    Vb vb = OctetsVb("ab");
    vb.set_syntax(sNMP_SYNTAX_OPAQUE);
    OctetStr os;
    ASSERT_EQ(vb.get_value(os), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(os, OctetStr("ab"));

    vb = IntegerVb(-2);
    vb.set_syntax(sNMP_SYNTAX_GAUGE32);
    unsigned long ul = 0;
    ASSERT_EQ(vb.get_value(ul), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(ul, 4294967294UL);
    vb.set_syntax(sNMP_SYNTAX_INT32);
    long l = 0;
    ASSERT_EQ(vb.get_value(l), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(l, -2);

    vb.set_syntax(sNMP_SYNTAX_OCTETS);
    ASSERT_EQ(vb.get_value(os), SNMP_CLASS_SUCCESS);
    EXPECT_EQ(os.len(), 0UL);
}

TEST(SnmplibVb, InvalidValuesMakeTheBindingInvalid)
{
    Vb vb(Oid("1.3"));
    vb.set_value(IpAddress("not an address"));
    EXPECT_FALSE(vb.valid());
    IpAddress ip;
    EXPECT_EQ(vb.get_value(ip), SNMP_CLASS_INVALID);
    vb.set_value(Oid("1..2"));
    EXPECT_FALSE(vb.valid());
    vb.set_value(3);
    EXPECT_TRUE(vb.valid());
}

TEST(SnmplibCounter64, LongDoubleConversions)
{
    struct Case {
        long double in;
        unsigned long long expected;
    };
    const Case cases[] = {
        {0.0L, 0ULL},
        {-1.0L, 0ULL},
        {1.9L, 1ULL},
        {4294967296.0L, 4294967296ULL},
        {9007199254740993.0L, 9007199254740993ULL},
        {18446744073709551615.0L, 18446744073709551615ULL},
        {18446744073709551616.0L, 18446744073709551615ULL},
        {1e30L, 18446744073709551615ULL},
        {std::numeric_limits<long double>::infinity(), 18446744073709551615ULL},
        {std::numeric_limits<long double>::quiet_NaN(), 0ULL},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Counter64::ld_to_c64(c.in).value(), c.expected) << static_cast<double>(c.in);

    const Counter64 max = Counter64::ld_to_c64(18446744073709551615.0L);
    EXPECT_EQ(max.high(), 0xFFFFFFFFUL);
    EXPECT_EQ(max.low(), 0xFFFFFFFFUL);
    EXPECT_EQ(Counter64::c64_to_ld(max), 18446744073709551615.0L);
    EXPECT_STREQ(max.get_printable(), "18446744073709551615");
    // Through a double, 2^53 + 1 is not representable and comes back as 2^53.
    EXPECT_EQ(Counter64::ld_to_c64(static_cast<double>(9007199254740993ULL)).value(), 9007199254740992ULL);
}

TEST(SnmplibTimeTicks, DurationText)
{
    struct Case {
        unsigned long ticks;
        const char* text;
    };
    const Case cases[] = {
        {0, "0:00:00.00"},
        {8639999, "23:59:59.99"},
        {8640000, "1 day 0:00:00.00"},
        {2 * 8640000UL + 123, "2 days, 0:00:01.23"},
        {4294967295UL, "497 days, 2:27:52.95"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(TimeTicks(c.ticks).get_printable(), c.text) << c.ticks;
}

TEST(SnmplibPdu, KeepsOrderAndBoundsIndexes)
{
    Pdu pdu;
    pdu += IntegerVb(1);
    pdu += OctetsVb("two");
    pdu += IntegerVb(3);
    ASSERT_EQ(pdu.get_vb_count(), 3);

    Vb vb;
    ASSERT_TRUE(pdu.get_vb(vb, 1));
    EXPECT_STREQ(vb.get_printable_value(), "two");
    vb = IntegerVb(99);
    EXPECT_FALSE(pdu.get_vb(vb, 3));
    EXPECT_FALSE(pdu.get_vb(vb, -1));
    EXPECT_STREQ(vb.get_printable_value(), "99");
    EXPECT_EQ(pdu.vb_at(3), nullptr);

    EXPECT_TRUE(pdu.set_vb(IntegerVb(20), 1));
    EXPECT_FALSE(pdu.set_vb(IntegerVb(20), 3));
    EXPECT_TRUE(pdu.delete_vb(0));
    ASSERT_TRUE(pdu.get_vb(vb, 0));
    EXPECT_STREQ(vb.get_printable_value(), "20");
    EXPECT_FALSE(pdu.trim(3));
    EXPECT_TRUE(pdu.trim(2));
    EXPECT_EQ(pdu.get_vb_count(), 0);
}

TEST(SnmplibPdu, RefusesBindingsBeyondTheMaximum)
{
    std::vector<Vb> many(PDU_MAX_VBS + 1, IntegerVb(0));
    Pdu pdu;
    EXPECT_TRUE(pdu.set_vblist(many.data(), PDU_MAX_VBS));
    EXPECT_TRUE(pdu.valid());
    pdu += IntegerVb(1);
    EXPECT_EQ(pdu.get_vb_count(), PDU_MAX_VBS);
    EXPECT_FALSE(pdu.valid());

    EXPECT_FALSE(pdu.set_vblist(many.data(), PDU_MAX_VBS + 1));
    EXPECT_EQ(pdu.get_vb_count(), PDU_MAX_VBS);
    EXPECT_FALSE(pdu.set_vblist(nullptr, 2));
    EXPECT_FALSE(Pdu(many.data(), PDU_MAX_VBS + 1).valid());

    std::vector<Vb> out(2);
    EXPECT_FALSE(pdu.get_vblist(out.data(), 2));
    pdu.clear();
    EXPECT_TRUE(pdu.valid());
    EXPECT_EQ(pdu.get_vb_count(), 0);
}

TEST(SnmplibPdu, HeaderFieldsAndClear)
{
    Pdu pdu;
    pdu.set_error_status(2);
    pdu.set_error_index(1);
    pdu.set_request_id(1234);
    pdu.set_type(sNMP_PDU_GETNEXT);
    pdu.set_security_level(SNMP_SECURITY_LEVEL_AUTH_PRIV);
    pdu.set_context_name("ctx");
    const unsigned char engineId[] = {0x80, 0x00};
    pdu.set_context_engine_id(OctetStr(engineId, 2));
    pdu += IntegerVb(1);

    const Pdu copy = pdu;
    EXPECT_EQ(copy.get_error_status(), 2);
    EXPECT_EQ(copy.get_error_index(), 1);
    EXPECT_EQ(copy.get_request_id(), 1234UL);
    EXPECT_EQ(copy.get_type(), sNMP_PDU_GETNEXT);
    EXPECT_EQ(copy.get_security_level(), SNMP_SECURITY_LEVEL_AUTH_PRIV);
    EXPECT_EQ(copy.get_context_name(), OctetStr("ctx"));
    EXPECT_EQ(copy.get_context_engine_id().len(), 2UL);

    pdu.clear();
    EXPECT_EQ(pdu.get_error_status(), 0);
    EXPECT_EQ(pdu.get_vb_count(), 0);
    EXPECT_EQ(pdu.get_context_name().len(), 0UL);
    EXPECT_EQ(pdu.get_security_level(), SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV);
}

}  // namespace
