#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snmplib/OctetStr.h"
#include "snmplib/Oid.h"

namespace {

std::vector<SmiUINT32> SubidsOf(const Oid& oid)
{
    return std::vector<SmiUINT32>(oid.data(), oid.data() + oid.len());
}

std::string Hex(const OctetStr& s)
{
    return s.get_printable_hex();
}

TEST(SnmplibOid, ParsesDottedText)
{
    struct Case {
        const char* text;
        bool valid;
        std::vector<SmiUINT32> subids;
    };
    const Case cases[] = {
        {"1.3.6.1.2.1.1.3.0", true, {1, 3, 6, 1, 2, 1, 1, 3, 0}},
        {".1.3.6", true, {1, 3, 6}},
        {"7", true, {7}},
        {"1.4294967295", true, {1, 4294967295UL}},
        {"1.4294967296", false, {}},
        {"1.99999999999999999999999", false, {}},
        {"", false, {}},
        {".", false, {}},
        {"1..3", false, {}},
        {"1.3.", false, {}},
        {"1.3.x", false, {}},
        {" 1.3", false, {}},
        {"1.-3", false, {}},
    };
    for (const Case& c : cases) {
        const Oid oid(c.text);
        EXPECT_EQ(oid.valid(), c.valid) << c.text;
        EXPECT_EQ(SubidsOf(oid), c.subids) << c.text;
    }
    EXPECT_FALSE(Oid(static_cast<const char*>(nullptr)).valid());
}

TEST(SnmplibOid, PrintableHasNoLeadingDot)
{
    EXPECT_STREQ(Oid(".1.3.6.1.4.1.32473").get_printable(), "1.3.6.1.4.1.32473");
    EXPECT_STREQ(Oid("1.4294967295").get_printable(), "1.4294967295");
    EXPECT_STREQ(Oid().get_printable(), "");
}

TEST(SnmplibOid, IndexOutsideReadsZero)
{
    const Oid oid("1.3.6");
    EXPECT_EQ(oid[0], 1UL);
    EXPECT_EQ(oid[2], 6UL);
    EXPECT_EQ(oid[3], 0UL);
    EXPECT_EQ(oid[~0UL], 0UL);
    EXPECT_EQ(Oid()[0], 0UL);
}

TEST(SnmplibOid, AppendTrimAndSetData)
{
    Oid oid("1.3.6");
    oid += "1.2";
    oid += 99UL;
    oid += Oid("4.5");
    EXPECT_STREQ(oid.get_printable(), "1.3.6.1.2.99.4.5");
    oid += "not.an.oid";
    EXPECT_EQ(oid.len(), 8UL);
    oid.trim(2);
    EXPECT_STREQ(oid.get_printable(), "1.3.6.1.2.99");
    oid.trim(100);
    EXPECT_EQ(oid.len(), 0UL);
    EXPECT_FALSE(oid.valid());

    const SmiUINT32 raw[] = {1, 3, 0x1FFFFFFFFUL};
    oid.set_data(raw, 3);
    EXPECT_EQ(SubidsOf(oid), (std::vector<SmiUINT32>{1, 3, 0xFFFFFFFFUL}));
    oid.set_data(nullptr, 5);
    EXPECT_EQ(oid.len(), 0UL);
}

TEST(SnmplibOid, Ordering)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.3.6", "1.3.6", 0},      {"1.3.6", "1.3.7", -1},  {"1.3.10", "1.3.9", 1},
        {"1.3", "1.3.6", -1},       {"1.3.6.1", "1.3.6", 1}, {"1.3.6.1.2.1.2.2.1.20", "1.3.6.1.2.1.2.2.1.3", 1},
        {"1.4294967295", "1.1", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Oid(c.a).compare(Oid(c.b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(Oid(c.a) < Oid(c.b), c.expected < 0) << c.a << " vs " << c.b;
        EXPECT_EQ(Oid(c.a) == Oid(c.b), c.expected == 0) << c.a << " vs " << c.b;
    }
    EXPECT_EQ(Oid("1.3.6.1").nCompare(3, Oid("1.3.6.9")), 0);
    EXPECT_EQ(Oid("1.3").nCompare(3, Oid("1.3.6")), -1);
    EXPECT_EQ(Oid("1.3").nCompare(3, Oid("1.3")), 0);
}

// Texts compared without being built order as the identifiers they make;
// one that does not parse stands for the empty identifier. Identifiers
// longer than 128 sub-identifiers take another way through.
TEST(SnmplibOid, DottedTextsCompareAsTheirIdentifiers)
{
    std::string longer = "1";
    for (int i = 0; i < 129; ++i)
        longer += ".7";
    const std::string longerLast = longer + ".8";
    const std::string longerBad = longer + ".x";
    const char* const texts[] = {"1.3.6",
                                 ".1.3.6",
                                 "1.3.7",
                                 "1.3.10",
                                 "1.3",
                                 "1.3.6.1",
                                 "4294967295",
                                 "1.3.",
                                 "1..3",
                                 "",
                                 "x",
                                 "1.4294967296",
                                 "1.0004294967295",
                                 longer.c_str(),
                                 longerLast.c_str(),
                                 longerBad.c_str()};
    for (const char* a : texts) {
        for (const char* b : texts)
            EXPECT_EQ(Oid::CompareDotted(a, b), Oid(a).compare(Oid(b))) << '"' << a << "\" vs \"" << b << '"';
        EXPECT_EQ(Oid::CompareDotted(a, nullptr), Oid(a).valid() ? 1 : 0) << a;
    }
    EXPECT_EQ(Oid(longer).len(), 130UL);
    EXPECT_FALSE(Oid(longerBad).valid());
}

TEST(SnmplibOctetStr, KeepsEveryByte)
{
    const unsigned char raw[] = {0x00, 0xFF, 0x41, 0x00};
    const OctetStr s(raw, sizeof raw);
    EXPECT_EQ(s.len(), 4UL);
    EXPECT_EQ(s[0], 0x00);
    EXPECT_EQ(s[1], 0xFF);
    EXPECT_EQ(s[3], 0x00);
    EXPECT_EQ(s[4], 0);
    EXPECT_EQ(OctetStr("abc").len(), 3UL);
    EXPECT_EQ(OctetStr("").len(), 0UL);
    EXPECT_EQ(OctetStr(static_cast<const char*>(nullptr)).len(), 0UL);
    EXPECT_EQ(OctetStr(nullptr, 10).len(), 0UL);
}

TEST(SnmplibOctetStr, PrintableForms)
{
    const unsigned char mac[] = {0x00, 0x0D, 0x88, 0x12, 0x34, 0x56};
    EXPECT_STREQ(OctetStr(mac, 6).get_printable(), "00 0D 88 12 34 56");
    EXPECT_STREQ(OctetStr("public").get_printable(), "public");
    EXPECT_STREQ(OctetStr("public").get_printable_hex(), "70 75 62 6C 69 63");
    EXPECT_STREQ(OctetStr().get_printable(), "");
}

TEST(SnmplibOctetStr, FromHexString)
{
    struct Case {
        const char* hex;
        const char* expected;  // printable hex of the result
    };
    const Case cases[] = {
        {"000D88123456", "00 0D 88 12 34 56"},
        {"00 0D 88 12 34 56", "00 0D 88 12 34 56"},
        {"  0a0B ", "0A 0B"},
        {"ABC", "0A BC"},
        {"1", "01"},
        {"F 00", "0F 00"},
        {"", ""},
        {"   ", ""},
        {"zz", "00"},
        {"1g", "10"},
        {"0x1F", "00 1F"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Hex(OctetStr::from_hex_string(OctetStr(c.hex))), c.expected) << '"' << c.hex << '"';
}

TEST(SnmplibOctetStr, Ordering)
{
    const unsigned char high[] = {0xFF};
    EXPECT_TRUE(OctetStr("abc") == OctetStr("abc"));
    EXPECT_TRUE(OctetStr("ab") < OctetStr("abc"));
    EXPECT_TRUE(OctetStr("abd") > OctetStr("abc"));
    EXPECT_TRUE(OctetStr("a") < OctetStr(high, 1));  // unsigned comparison
    EXPECT_EQ(OctetStr("abcX").nCompare(3, OctetStr("abcY")), 0);
}

}  // namespace
