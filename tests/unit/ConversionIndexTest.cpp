#include "common/QvErrors.h"
#include "snmpfw/SnmpRequest.h"
#include "tests/support/RaisedCode.h"
#include "tests/support/SampleVarSet.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using krwtest::RaisedCode;

struct KeyColumns {
    int first;
    int second;
    int secondAccess;
};

// A table list whose first two items are its index columns.
CSnmpVarList TableOf(const KeyColumns& keys, COptionList* options = nullptr)
{
    const CSnmpVarDef table[] = {
        {"1.3.6.1.4.1.32473.2.1.1", "key0", keys.first, ACCESS_READONLY, options, nullptr, nullptr, nullptr, nullptr,
         nullptr},
        {"1.3.6.1.4.1.32473.2.1.2", "key1", keys.second, keys.secondAccess, nullptr, nullptr, nullptr, nullptr, nullptr,
         nullptr},
        {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return CSnmpVarList(table, MVT_FMV, 2);
}

CSnmpVarList SingleKey(int syntax, int access = ACCESS_READONLY, COptionList* options = nullptr)
{
    const CSnmpVarDef table[] = {
        {"1.3.6.1.4.1.32473.2.1.1", "key", syntax, access, options, nullptr, nullptr, nullptr, nullptr, nullptr},
        {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return CSnmpVarList(table, MVT_FMV, 1);
}

struct Decoded {
    CString value;
    CString rest;
};

Decoded Decode(CSnmpVarList& list, int index, const CString& instance)
{
    CSnmpRequest request;
    Decoded d;
    d.rest = request.IndexToText(index, instance, list);
    d.value = *list.GetItem(index)->value;
    return d;
}

CString Encode(CSnmpVarList& list, int index, const CString& value)
{
    CSnmpRequest request;
    *list.GetItem(index)->value = value;
    CString output = "untouched";
    request.TextToIndex(index, output, list);
    return output;
}

TEST(ConversionIndexToText, OctetStringKeyWithAndWithoutLength)
{
    CSnmpVarList counted = SingleKey(SYNTAX_OCTETSTR);
    Decoded d = Decode(counted, 0, "4.10.0.0.1.7");
    EXPECT_EQ(CString("0A000001"), d.value);
    EXPECT_EQ(CString("7"), d.rest);

    CSnmpVarList implied = SingleKey(SYNTAX_OCTETSTR, ACCESS_READONLY | ACCESS_IMPLIED);
    d = Decode(implied, 0, "4.10.0.0.1.7");
    EXPECT_EQ(CString("040A00000107"), d.value);
    EXPECT_EQ(CString(""), d.rest);
}

TEST(ConversionIndexToText, ImpliedCountsOnlyForTheLastKey)
{
    CSnmpVarList list = TableOf({SYNTAX_DISPLAYSTR, SYNTAX_INTEGER, ACCESS_READONLY});
    list.GetItem(0)->access |= ACCESS_IMPLIED;  // not the last key: still counted
    const Decoded d = Decode(list, 0, "2.104.105.9");
    EXPECT_EQ(CString("hi"), d.value);
    EXPECT_EQ(CString("9"), d.rest);
}

TEST(ConversionIndexToText, FixedSizeKeys)
{
    const struct {
        int syntax;
        const char* instance;
        const char* value;
        const char* rest;
    } cases[] = {
        {SYNTAX_NULL, "5.6", "(NULL)", "5.6"},
        {SYNTAX_BOOLEAN, "2.1", "true", "1"},
        {SYNTAX_BOOLEAN, "0", "false", ""},
        {SYNTAX_INTEGER, "4294967291.3", "-5", "3"},
        {SYNTAX_GUAGE, "4294967295", "4294967295", ""},
        {SYNTAX_TIMETICKS, "12345.1", "0:02:03.45", "1"},
        {SYNTAX_COUNTER64, "2.5.9", "8589934597", "9"},
        {SYNTAX_IPADDRESS, "192.0.2.1.161", "192.0.2.1", "161"},
        {SYNTAX_NSAPADDR, "266.0.0.1", "10.0.0.1", ""},  // an octet is the low 8 bits
        {SYNTAX_MACADDRESS, "0.13.136.18.52.86.4", "000D88123456", "4"},
        {SYNTAX_DATETIME, "7.216.1.2.3.4.5.6.43.8.0.1", "2008-1-2,3:4:5.6", "1"},
        {SYNTAX_OBJECTID, "3.1.3.6.8", "1.3.6", "8"},
    };
    for (const auto& c : cases) {
        CSnmpVarList list = SingleKey(c.syntax);
        const Decoded d = Decode(list, 0, c.instance);
        EXPECT_EQ(CString(c.value), d.value) << "syntax " << c.syntax << " instance " << c.instance;
        EXPECT_EQ(CString(c.rest), d.rest) << "syntax " << c.syntax << " instance " << c.instance;
    }
}

TEST(ConversionIndexToText, ImpliedObjectIdentifierIsTheInstanceItself)
{
    CSnmpVarList list = SingleKey(SYNTAX_OBJECTID, ACCESS_READONLY | ACCESS_IMPLIED);
    const Decoded d = Decode(list, 0, "1.3.6.1.4");
    EXPECT_EQ(CString("1.3.6.1.4"), d.value);
    EXPECT_EQ(CString(""), d.rest);
}

TEST(ConversionIndexToText, OptionListsApplyToKeys)
{
    CSnmpVarList list = SingleKey(SYNTAX_INTEGER, ACCESS_READONLY, &krwtest::SampleBandOptions);
    EXPECT_EQ(CString("5GHz"), Decode(list, 0, "1.2").value);
    EXPECT_EQ(CString("1"), Encode(list, 0, "5GHz"));
}

// Instances come from the agent: a key that needs more than arrived is
// missing, takes the rest, and nothing beyond the instance is read.
TEST(ConversionIndexToText, ShortOrHostileInstancesGiveDefinedResults)
{
    const struct {
        int syntax;
        const char* instance;
    } cases[] = {
        {SYNTAX_IPADDRESS, "10"},
        {SYNTAX_MACADDRESS, "1.2.3"},
        {SYNTAX_DATETIME, "7.216.1"},
        {SYNTAX_COUNTER64, "1"},
        {SYNTAX_DOUBLE, ""},
        {SYNTAX_BCDATETIME, "5"},
        {SYNTAX_INTEGER, ""},
        {SYNTAX_OCTETSTR, "4294967295.1.2"},
        {SYNTAX_DISPLAYSTR, "3.65.66"},
        {SYNTAX_OBJECTID, "9.1.3"},
        {SYNTAX_OCTETSTR, ""},
        {SYNTAX_INTEGER, "not.an.instance"},
    };
    for (const auto& c : cases) {
        CSnmpVarList list = SingleKey(c.syntax);
        const Decoded d = Decode(list, 0, c.instance);
        EXPECT_EQ(CString("(NULL)"), d.value) << "syntax " << c.syntax << " instance " << c.instance;
        EXPECT_EQ(CString(""), d.rest) << "syntax " << c.syntax << " instance " << c.instance;
    }

    CSnmpVarList octets = SingleKey(SYNTAX_OCTETSTR);
    const Decoded big = Decode(octets, 0, "3.256.511.4294967295");
    EXPECT_EQ(CString("00FFFF"), big.value);
    EXPECT_EQ(CString(""), big.rest);
}

TEST(ConversionTextToIndex, SubIdentifiersPerSyntax)
{
    const struct {
        int syntax;
        int access;
        const char* value;
        const char* instance;
    } cases[] = {
        {SYNTAX_NULL, ACCESS_READONLY, "x", ""},
        {SYNTAX_BOOLEAN, ACCESS_READONLY, "true", "1"},
        {SYNTAX_BOOLEAN, ACCESS_READONLY, "True", "0"},
        {SYNTAX_INTEGER, ACCESS_READONLY, "-1", "4294967295"},
        {SYNTAX_TIMETICKS, ACCESS_READONLY, "12345", "12345"},
        {SYNTAX_TIMETICKS, ACCESS_READONLY, "1 day 0:00:00.00", "8640000"},  // the form IndexToText writes
        {SYNTAX_COUNTER64, ACCESS_READONLY, "18446744073709551615", "4294967295.4294967295"},
        {SYNTAX_COUNTER64, ACCESS_READONLY, "8589934597", "2.5"},
        {SYNTAX_OCTETSTR, ACCESS_READONLY, "0A 00 00 01", "4.10.0.0.1"},
        {SYNTAX_OCTETSTR, ACCESS_READONLY | ACCESS_IMPLIED, "0A000001", "10.0.0.1"},
        {SYNTAX_DISPLAYSTR, ACCESS_READONLY, "hi", "2.104.105"},
        {SYNTAX_DISPLAYSTR, ACCESS_READONLY, "", "0"},
        {SYNTAX_OBJECTID, ACCESS_READONLY, "1.3.6", "3.1.3.6"},
        {SYNTAX_OBJECTID, ACCESS_READONLY | ACCESS_IMPLIED, "1.3.6", "1.3.6"},
        {SYNTAX_IPADDRESS, ACCESS_READONLY, "192.0.2.1", "192.0.2.1"},
        {SYNTAX_MACADDRESS, ACCESS_READONLY, "000D88123456FF", "0.13.136.18.52.86"},
        {SYNTAX_MACADDRESS, ACCESS_READONLY, "000D8812", ""},
        {SYNTAX_DATETIME, ACCESS_READONLY, "2008-1-2,3:4:5.6,-5:30", "7.216.1.2.3.4.5.6.45.5.30"},
    };
    for (const auto& c : cases) {
        CSnmpVarList list = SingleKey(c.syntax, c.access);
        EXPECT_EQ(CString(c.instance), Encode(list, 0, c.value)) << "syntax " << c.syntax << " value " << c.value;
    }
}

// Encoding two keys and decoding the joined instance gives back each value
// and hands exactly the rest on to the next key.
TEST(ConversionRoundTrip, TextToIndexThenIndexToText)
{
    const struct {
        int syntax;
        const char* value;
    } cases[] = {
        {SYNTAX_BOOLEAN, "true"},
        {SYNTAX_INTEGER, "-42"},
        {SYNTAX_COUNTER, "4294967295"},
        {SYNTAX_GUAGE, "17"},
        {SYNTAX_UINTEGER, "0"},
        {SYNTAX_COUNTER64, "12345678901234"},
        {SYNTAX_DOUBLE, "3.141593"},
        {SYNTAX_BITSTR, "C0"},
        {SYNTAX_OCTETSTR, "000D88"},
        {SYNTAX_OPAQUE, ""},
        {SYNTAX_DISPLAYSTR, "ssid-1"},
        {SYNTAX_OBJECTID, "1.3.6.1.2.1"},
        {SYNTAX_IPADDRESS, "192.0.2.200"},
        {SYNTAX_NSAPADDR, "10.1.2.3"},
        {SYNTAX_MACADDRESS, "000D88123456"},
        {SYNTAX_DATETIME, "2008-1-2,3:4:5.6"},
        {SYNTAX_BCDATETIME, "2026/12/08 09:30:00 AM"},
    };
    for (const auto& c : cases) {
        // The key under test first, an integer after it.
        CSnmpVarList middle = TableOf({c.syntax, SYNTAX_INTEGER, ACCESS_READONLY});
        const CString instance = Encode(middle, 0, c.value) + "." + Encode(middle, 1, "77");
        Decoded d = Decode(middle, 0, instance);
        EXPECT_EQ(CString(c.value), d.value) << "middle key, syntax " << c.syntax;
        EXPECT_EQ(CString("77"), d.rest) << "middle key, syntax " << c.syntax << " instance " << instance;

        for (bool implied : {false, true}) {
            // An integer first, the key under test last (implied or not).
            const int access = ACCESS_READONLY | (implied ? ACCESS_IMPLIED : 0);
            CSnmpVarList last = TableOf({SYNTAX_INTEGER, c.syntax, access});
            const CString keyText = Encode(last, 1, c.value);
            const CString joined = keyText.IsEmpty() ? CString("5") : "5." + keyText;
            d = Decode(last, 0, joined);
            EXPECT_EQ(CString("5"), d.value);
            EXPECT_EQ(keyText, d.rest);
            d = Decode(last, 1, d.rest);
            EXPECT_EQ(CString(c.value), d.value) << "last key, implied " << implied << ", syntax " << c.syntax;
            EXPECT_EQ(CString(""), d.rest);
        }
    }
}

TEST(ConversionBadSyntax, IndexConversionsRaiseAndChangeNothing)
{
    for (int syntax : std::initializer_list<int>{0, 7, SYNTAX_BOOL8, SYNTAX_UINT16, 255}) {
        CSnmpVarList list = SingleKey(syntax);
        *list.GetItem(0)->value = "kept";
        CSnmpRequest request;
        EXPECT_EQ(QV_ERR_BAD_SYNTAX, RaisedCode([&] { request.IndexToText(0, "1.2", list); })) << syntax;
        EXPECT_EQ(CString("kept"), *list.GetItem(0)->value);
        CString output = "untouched";
        EXPECT_EQ(QV_ERR_BAD_SYNTAX, RaisedCode([&] { request.TextToIndex(0, output, list); })) << syntax;
        EXPECT_EQ(CString("untouched"), output);
    }
}

}  // namespace
