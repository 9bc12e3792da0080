#include "common/QvErrors.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/ValueConversion.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/RaisedCode.h"
#include "tests/support/SampleVarSet.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

using krwtest::RaisedCode;

CSnmpVarList ListOf(int syntax, COptionList* options = nullptr)
{
    const CSnmpVarDef table[] = {
        {"1.3.6.1.4.1.32473.1", "v", syntax, ACCESS_READWRITE, options, nullptr, nullptr, nullptr, nullptr, nullptr},
        {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return CSnmpVarList(table, SVT_SV, 0);
}

CString Shown(int syntax, const Vb& vb, COptionList* options = nullptr)
{
    CSnmpRequest request;
    CSnmpVarList list = ListOf(syntax, options);
    *list.GetItem(0)->value = "old";
    request.VbToText(0, vb, list);
    return *list.GetItem(0)->value;
}

Vb Sent(int syntax, const CString& text, COptionList* options = nullptr)
{
    CSnmpRequest request;
    request.varList = ListOf(syntax, options);
    *request.varList.GetItem(0)->value = text;
    Vb vb;
    request.TextToVb(0, vb);
    return vb;
}

Vb OctetsVb(const std::vector<unsigned char>& octets)
{
    Vb vb;
    vb.set_value(octets.data(), static_cast<unsigned long>(octets.size()));
    return vb;
}

std::vector<unsigned char> OctetsOf(const Vb& vb)
{
    OctetStr octets;
    EXPECT_EQ(SNMP_CLASS_SUCCESS, vb.get_value(octets));
    return std::vector<unsigned char>(octets.data(), octets.data() + octets.len());
}

template <typename T>
Vb ValueVb(const T& value)
{
    Vb vb;
    vb.set_value(value);
    return vb;
}

TEST(ConversionVbToText, IntegerSyntaxes)
{
    EXPECT_EQ(CString("false"), Shown(SYNTAX_BOOLEAN, ValueVb(0)));
    EXPECT_EQ(CString("true"), Shown(SYNTAX_BOOLEAN, ValueVb(2)));
    EXPECT_EQ(CString("-5"), Shown(SYNTAX_INTEGER, ValueVb(-5)));
    EXPECT_EQ(CString("4294967295"), Shown(SYNTAX_GUAGE, ValueVb(Gauge32(4294967295UL))));
    EXPECT_EQ(CString("7"), Shown(SYNTAX_COUNTER, ValueVb(Counter32(7))));
    EXPECT_EQ(CString("4294967295"), Shown(SYNTAX_UINTEGER, ValueVb(-1)));
}

TEST(ConversionVbToText, Counter64IsExactInAll64Bits)
{
    const unsigned long long twoTo53 = 1ULL << 53;
    EXPECT_EQ(CString("9007199254740993"), Shown(SYNTAX_COUNTER64, ValueVb(Counter64(twoTo53 + 1))));
    EXPECT_EQ(CString("12345678901"), Shown(SYNTAX_COUNTER64, ValueVb(Counter64(12345678901ULL))));
    EXPECT_EQ(CString("18446744073709551615"), Shown(SYNTAX_COUNTER64, ValueVb(Counter64(0xFFFFFFFFUL, 0xFFFFFFFFUL))));
}

TEST(ConversionVbToText, TimeTicksAsDuration)
{
    const struct {
        unsigned long ticks;
        const char* text;
    } cases[] = {
        {0, "0:00:00.00"},
        {12345, "0:02:03.45"},
        {8639999, "23:59:59.99"},
        {8640000, "1 day 0:00:00.00"},
        {17280001, "2 days, 0:00:00.01"},
        {4294967295UL, "497 days, 2:27:52.95"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.text), Shown(SYNTAX_TIMETICKS, ValueVb(TimeTicks(c.ticks)))) << c.ticks;
}

TEST(ConversionVbToText, OctetSyntaxesAsHexadecimal)
{
    const Vb mac = OctetsVb({0x00, 0x0D, 0x88, 0x12, 0x34, 0x56});
    for (int syntax : std::initializer_list<int>{SYNTAX_BITSTR, SYNTAX_OCTETSTR, SYNTAX_OPAQUE, SYNTAX_MACADDRESS}) {
        EXPECT_EQ(CString("000D88123456"), Shown(syntax, mac)) << syntax;
        EXPECT_EQ(CString(""), Shown(syntax, OctetsVb({}))) << syntax;
        EXPECT_EQ(CString(""), Shown(syntax, Vb())) << syntax;  // a null binding
    }
}

TEST(ConversionVbToText, EmptyValuesAreNullExceptForTexts)
{
    EXPECT_EQ(CString(""), Shown(SYNTAX_DISPLAYSTR, OctetsVb({})));
    EXPECT_EQ(CString(""), Shown(SYNTAX_DISPLAYSTR, Vb()));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_INTEGER, Vb()));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_NULL, ValueVb(3)));
    Vb missing;
    missing.set_exception_status(sNMP_SYNTAX_NOSUCHINSTANCE);
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_COUNTER, missing));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_DATETIME, missing));
}

TEST(ConversionVbToText, DisplayStringStopsAtTheFirstZeroOctet)
{
    EXPECT_EQ(CString("abc"), Shown(SYNTAX_DISPLAYSTR, OctetsVb({'a', 'b', 'c', 0, 'd'})));
    EXPECT_EQ(CString("Linux"), Shown(SYNTAX_DISPLAYSTR, ValueVb(OctetStr("Linux"))));
}

TEST(ConversionVbToText, DatesFromTheirOctets)
{
    const Vb eleven = OctetsVb({0x07, 0xD8, 1, 2, 3, 4, 5, 6, '+', 8, 0});
    EXPECT_EQ(CString("2008-1-2,3:4:5.6"), Shown(SYNTAX_DATETIME, eleven));
    EXPECT_EQ(CString("2008-1-2,3:4:5.6"), Shown(SYNTAX_DATETIME, OctetsVb({0x07, 0xD8, 1, 2, 3, 4, 5, 6})));

    const COleDateTime afternoon(2008, 1, 2, 15, 4, 5);
    unsigned char octets[8];
    DoubleToOctets(afternoon.m_dt, octets);
    EXPECT_EQ(CString("2008/01/02 15:04:05 PM"),
              Shown(SYNTAX_BCDATETIME, OctetsVb(std::vector<unsigned char>(octets, octets + 8))));

    DoubleToOctets(1.5, octets);
    EXPECT_EQ(CString("1.500000"), Shown(SYNTAX_DOUBLE, OctetsVb(std::vector<unsigned char>(octets, octets + 8))));
}

// Values shorter than their syntax needs, and values of another type, are
// shown as missing; nothing beyond the received octets is read.
TEST(ConversionVbToText, UntrustedValuesGiveDefinedTexts)
{
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_DOUBLE, OctetsVb({1, 2, 3})));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_DATETIME, OctetsVb({0x07, 0xD8})));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_BCDATETIME, OctetsVb({})));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_BCDATETIME, OctetsVb({1, 2, 3, 4, 5, 6, 7})));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_OCTETSTR, ValueVb(5)));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_DISPLAYSTR, ValueVb(5)));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_INTEGER, ValueVb(OctetStr("12"))));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_OBJECTID, ValueVb(OctetStr("1.3"))));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_IPADDRESS, ValueVb(7)));

    unsigned char octets[8];
    DoubleToOctets(1e300, octets);
    EXPECT_EQ(CString("Invalid DateTime"),
              Shown(SYNTAX_BCDATETIME, OctetsVb(std::vector<unsigned char>(octets, octets + 8))));
    const std::vector<unsigned char> nan = {0, 0, 0, 0, 0, 0, 0xF8, 0x7F};
    EXPECT_EQ(CString("Invalid DateTime"), Shown(SYNTAX_BCDATETIME, OctetsVb(nan)));
    EXPECT_EQ(CString("nan"), Shown(SYNTAX_DOUBLE, OctetsVb(nan)));
}

TEST(ConversionVbToText, OptionListsGiveTheDisplayForm)
{
    EXPECT_EQ(CString("5GHz"), Shown(SYNTAX_INTEGER, ValueVb(1), &krwtest::SampleBandOptions));
    EXPECT_EQ(CString("7"), Shown(SYNTAX_INTEGER, ValueVb(7), &krwtest::SampleBandOptions));
    EXPECT_EQ(CString("(NULL)"), Shown(SYNTAX_INTEGER, Vb(), &krwtest::SampleBandOptions));
}

TEST(ConversionTextToVb, NumbersReadAsAtoiAndAtolReadThem)
{
    int number = -1;
    EXPECT_EQ(SNMP_CLASS_SUCCESS, Sent(SYNTAX_BOOLEAN, "TRUE").get_value(number));
    EXPECT_EQ(0, number);
    Sent(SYNTAX_BOOLEAN, "true").get_value(number);
    EXPECT_EQ(1, number);
    Sent(SYNTAX_INTEGER, "abc").get_value(number);
    EXPECT_EQ(0, number);
    Sent(SYNTAX_INTEGER, " -12x").get_value(number);
    EXPECT_EQ(-12, number);

    unsigned long unsignedValue = 0;
    const Vb gauge = Sent(SYNTAX_GUAGE, "4294967295");
    EXPECT_EQ(SNMP_CLASS_SUCCESS, gauge.get_value(unsignedValue));
    EXPECT_EQ(4294967295UL, unsignedValue);
    EXPECT_EQ(static_cast<SmiUINT32>(sNMP_SYNTAX_GAUGE32), gauge.get_syntax());

    TimeTicks ticks;
    EXPECT_EQ(SNMP_CLASS_SUCCESS, Sent(SYNTAX_TIMETICKS, "12345").get_value(ticks));
    EXPECT_EQ(12345UL, static_cast<unsigned long>(ticks));

    Counter64 big;
    EXPECT_EQ(SNMP_CLASS_SUCCESS, Sent(SYNTAX_COUNTER64, "12345678901").get_value(big));
    EXPECT_EQ(12345678901ULL, big.value());
    Sent(SYNTAX_COUNTER64, "-3").get_value(big);
    EXPECT_EQ(0ULL, big.value());
}

TEST(ConversionTextToVb, HexadecimalTextWithOrWithoutBlanks)
{
    const std::vector<unsigned char> mac = {0x00, 0x0D, 0x88, 0x12, 0x34, 0x56};
    EXPECT_EQ(mac, OctetsOf(Sent(SYNTAX_MACADDRESS, "00 0D 88 12 34 56")));
    EXPECT_EQ(mac, OctetsOf(Sent(SYNTAX_MACADDRESS, "000d88123456")));
    EXPECT_EQ((std::vector<unsigned char>{0x0A, 0xBC}), OctetsOf(Sent(SYNTAX_OCTETSTR, "ABC")));
    EXPECT_TRUE(OctetsOf(Sent(SYNTAX_OPAQUE, "")).empty());
}

TEST(ConversionTextToVb, DatesInTheirOctetForm)
{
    EXPECT_EQ((std::vector<unsigned char>{0x07, 0xD8, 1, 2, 3, 4, 5, 6, '+', 0, 0}),
              OctetsOf(Sent(SYNTAX_DATETIME, "2008-1-2,3:4:5.6")));
    EXPECT_EQ((std::vector<unsigned char>{0x07, 0xD8, 1, 2, 3, 4, 5, 6, '-', 5, 30}),
              OctetsOf(Sent(SYNTAX_DATETIME, "2008-1-2,3:4:5.6,-5:30")));
    EXPECT_EQ((std::vector<unsigned char>{0x07, 0xD8, 1, 2, 3, 4, 5, 6, '+', 5, 30}),
              OctetsOf(Sent(SYNTAX_DATETIME, "2008-1-2,3:4:5.6,+5:30")));

    unsigned char expected[8];
    DoubleToOctets(COleDateTime(2008, 1, 2, 15, 4, 5).m_dt, expected);
    EXPECT_EQ(std::vector<unsigned char>(expected, expected + 8),
              OctetsOf(Sent(SYNTAX_BCDATETIME, "2008/01/02 15:04:05 PM")));
}

TEST(ConversionTextToVb, NullTextSendsANullBindingForEverySyntax)
{
    for (int syntax :
         std::initializer_list<int>{SYNTAX_BOOLEAN, SYNTAX_INTEGER, SYNTAX_OCTETSTR, SYNTAX_OBJECTID, SYNTAX_IPADDRESS,
                                    SYNTAX_COUNTER64, SYNTAX_DATETIME, SYNTAX_DISPLAYSTR, SYNTAX_BOOL8, 0}) {
        EXPECT_EQ(static_cast<SmiUINT32>(sNMP_SYNTAX_NULL), Sent(syntax, "(NULL)").get_syntax()) << syntax;
    }
    EXPECT_EQ(static_cast<SmiUINT32>(sNMP_SYNTAX_NULL), Sent(SYNTAX_NULL, "5").get_syntax());
}

// Numbers beyond their type's range give its nearest end, never a wrapped value.
TEST(ConversionTextToVb, NumbersSaturateAtTheirRange)
{
    const struct {
        int syntax;
        const char* text;
        const char* sent;
    } cases[] = {
        {SYNTAX_INTEGER, "4294967297", "2147483647"},
        {SYNTAX_INTEGER, "-99999999999", "-2147483648"},
        {SYNTAX_GUAGE, "4294967297", "4294967295"},
        {SYNTAX_COUNTER, "-1", "4294967295"},
        {SYNTAX_TIMETICKS, "99999999999", "497 days, 2:27:52.95"},
        {SYNTAX_TIMETICKS, "999 days, 0:00:00.00", "497 days, 2:27:52.95"},
        {SYNTAX_COUNTER64, "99999999999999999999999", "18446744073709551615"},
        {SYNTAX_COUNTER64, "-5", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.sent), Shown(c.syntax, Sent(c.syntax, c.text))) << c.text;
}

TEST(ConversionTextToVb, OptionListsGiveTheRawValue)
{
    int number = -1;
    Sent(SYNTAX_INTEGER, "5GHz", &krwtest::SampleBandOptions).get_value(number);
    EXPECT_EQ(1, number);
    Sent(SYNTAX_INTEGER, "get", &krwtest::SampleRefreshOptions).get_value(number);
    EXPECT_EQ(1, number);
}

// Sending a text and showing what was sent gives the text back wherever the
// two forms agree.
TEST(ConversionRoundTrip, TextToVbThenVbToText)
{
    const struct {
        int syntax;
        const char* text;
    } cases[] = {
        {SYNTAX_BOOLEAN, "true"},
        {SYNTAX_BOOLEAN, "false"},
        {SYNTAX_INTEGER, "-2147483648"},
        {SYNTAX_COUNTER, "4294967295"},
        {SYNTAX_GUAGE, "0"},
        {SYNTAX_UINTEGER, "123"},
        {SYNTAX_COUNTER64, "9007199254740993"},
        {SYNTAX_COUNTER64, "18446744073709551615"},
        {SYNTAX_TIMETICKS, "0:02:03.45"},
        {SYNTAX_TIMETICKS, "1 day 0:00:00.00"},
        {SYNTAX_TIMETICKS, "497 days, 2:27:52.95"},
        {SYNTAX_DOUBLE, "-2.250000"},
        {SYNTAX_BITSTR, "80"},
        {SYNTAX_OCTETSTR, "00FF10"},
        {SYNTAX_OPAQUE, "9F780442F60000"},
        {SYNTAX_MACADDRESS, "000D88123456"},
        {SYNTAX_OBJECTID, "1.3.6.1.2.1.1.3.0"},
        {SYNTAX_IPADDRESS, "192.0.2.17"},
        {SYNTAX_NSAPADDR, "10.0.0.1"},
        {SYNTAX_DATETIME, "2026-12-8,14:33:24.7"},
        {SYNTAX_BCDATETIME, "1999/12/31 23:59:59 PM"},
        {SYNTAX_DISPLAYSTR, "WPA2 \"lab\" $1"},
        {SYNTAX_NULL, "(NULL)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CString(c.text), Shown(c.syntax, Sent(c.syntax, c.text))) << "syntax " << c.syntax;
    }
}

TEST(ConversionBadSyntax, UnknownCodesRaiseAndChangeNothing)
{
    for (int syntax : std::initializer_list<int>{0, 7, 63, SYNTAX_BOOL8, SYNTAX_INT8, SYNTAX_UINT8, SYNTAX_BOOL16,
                                                 SYNTAX_INT16, SYNTAX_UINT16, 255, -1}) {
        CSnmpRequest request;
        CSnmpVarList list = ListOf(syntax);
        *list.GetItem(0)->value = "kept";
        EXPECT_EQ(QV_ERR_BAD_SYNTAX, RaisedCode([&] { request.VbToText(0, ValueVb(1), list); })) << syntax;
        EXPECT_EQ(CString("kept"), *list.GetItem(0)->value);

        request.varList = list;
        Vb vb = ValueVb(9);
        EXPECT_EQ(QV_ERR_BAD_SYNTAX, RaisedCode([&] { request.TextToVb(0, vb); })) << syntax;
        int number = 0;
        EXPECT_EQ(SNMP_CLASS_SUCCESS, vb.get_value(number));
        EXPECT_EQ(9, number);
    }
}

}  // namespace
