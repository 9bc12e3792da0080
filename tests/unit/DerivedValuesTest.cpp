#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/QvErrors.h"
#include "platform/Afx.h"
#include "snmpfw/OptionList.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/SnmpVarDef.h"
#include "snmpfw/SnmpVarList.h"
#include "tests/support/RaisedCode.h"

namespace {

using krwtest::RaisedCode;

const OptionPair kBandSource[] = {{0, "2.4GHz"}, {1, "5GHz"}, {0, nullptr}};

// Item numbers of the list the tests work on.
enum {
    ITEM_BASE,    // integer, what a bare "$" names
    ITEM_THREE,   // integer
    ITEM_FOUR,    // integer
    ITEM_ON,      // boolean
    ITEM_OFF,     // boolean
    ITEM_BAND,    // integer through the band list
    ITEM_OCTETS,  // octet string
    ITEM_TICKS,   // timeticks
    ITEM_DATE,    // bcdatetime
    ITEM_MARKED,  // display string holding the marker
    ITEM_BOOL8,
    ITEM_INT16,
    ITEM_MISSING,  // integer without a value
    ITEM_COUNT
};

struct ItemSpec {
    int syntax;
    const char* value;
    bool band;
};

const ItemSpec ITEMS[ITEM_COUNT] = {
    {SYNTAX_INTEGER, "10", false},
    {SYNTAX_INTEGER, "3", false},
    {SYNTAX_INTEGER, "4", false},
    {SYNTAX_BOOLEAN, "true", false},
    {SYNTAX_BOOLEAN, "false", false},
    {SYNTAX_INTEGER, "5GHz", true},
    {SYNTAX_OCTETSTR, "000D88", false},
    {SYNTAX_TIMETICKS, "12345", false},
    {SYNTAX_BCDATETIME, "2008/01/02 03:04:05 AM", false},
    {SYNTAX_DISPLAYSTR, "a$1", false},
    {SYNTAX_BOOL8, "true", false},
    {SYNTAX_INT16, "-2", false},
    {SYNTAX_INTEGER, "(NULL)", false},
};

class DerivedValuesTest : public ::testing::Test {
protected:
    DerivedValuesTest() : band(kBandSource, COptionList::KIND_INTEGER, false)
    {
        for (const ItemSpec& entry : ITEMS)
            AddItem(entry.syntax, entry.value, entry.band ? &band : nullptr);
    }

    // Appends one item to the request's own list and returns its number.
    int AddItem(int syntax, const char* value, COptionList* options = nullptr, const char* getExpression = nullptr,
                const char* setExpression = nullptr)
    {
        values.emplace_back(new CString(value));
        const CSnmpVarDef table[] = {
            {"1.3.6.1.4.1.32473.1", "item", syntax, ACCESS_READWRITE, options, getExpression, setExpression, nullptr,
             values.back().get(), nullptr},
            {},
        };
        request.varList.AppendDefinitions(table);
        return request.varList.count - 1;
    }

    CString Value(int index) const { return *request.varList.GetItem(index)->value; }

    CString Substitute(const char* expression, bool quote)
    {
        return request.SubstituteReferences(expression, quote, "$");
    }

    // Derives a new item of the given syntax from a get expression.
    CString Derive(int syntax, const char* expression, COptionList* options = nullptr)
    {
        int index = AddItem(syntax, "old", options, expression);
        request.EvaluateDerived(index, true, request.varList);
        return Value(index);
    }

    COptionList band;
    std::vector<std::unique_ptr<CString>> values;
    CSnmpRequest request;
};

struct SubstitutionCase {
    const char* expression;
    const char* expected;
};

TEST_F(DerivedValuesTest, ReferencesTakeTheValueTextOfTheirSyntax)
{
    const std::vector<SubstitutionCase> cases = {
        {"$1+$2", "3+4"}, {"$1*2", "3*2"},  // a reference at the very start
        {"$", "10"},                        // no digits: item 0
        {"x$01y", "x3y"}, {"$1$2", "34"},
        {"$$1", "103"},   {"$3 $4", "1 0"},  // booleans
        {"$10", "1"},                        // bool8 behaves as a boolean
        {"$11", "-2"},                       // int16 as a number
        {"$5", "1"},                         // "5GHz" through the band list
        {"$7", "12345"},  {"no reference", "no reference"},
    };
    for (const SubstitutionCase& c : cases) {
        EXPECT_STREQ(static_cast<LPCTSTR>(Substitute(c.expression, false)), c.expected) << c.expression;
        EXPECT_STREQ(static_cast<LPCTSTR>(Substitute(c.expression, true)), c.expected) << c.expression;
    }
}

TEST_F(DerivedValuesTest, DatesGoInAsTheirDayCount)
{
    CString expected;
    expected.Format("%f", COleDateTime(2008, 1, 2, 3, 4, 5).m_dt);
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$8", false)), static_cast<LPCTSTR>(expected));
}

TEST_F(DerivedValuesTest, BooleanTextOtherThanTrueGoesInAsZero)
{
    *request.varList.GetItem(ITEM_ON)->value = "TRUE";
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$3", false)), "0");
}

TEST_F(DerivedValuesTest, TextValuesAreQuotedOnlyInConditions)
{
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$6", true)), "\"000D88\"");
    CString text;
    EXPECT_EQ(RaisedCode([&] { Substitute("$6", false); }, &text), QV_ERR_EXPR_BAD_SYNTAX);
    EXPECT_STREQ(static_cast<LPCTSTR>(text), "(VaZARO++) Bad SNMP syntax in the expression!");
}

TEST_F(DerivedValuesTest, InsertedMarkersAreNeverSubstitutedAgain)
{
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$9", true)), "\"a$1\"");
    // The condition's own markers are still references.
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$9 = \"a$1\"", true)), "\"a$1\" = \"a3\"");
    *request.varList.GetItem(ITEM_MARKED)->value = "$9";
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$9$9", true)), "\"$9\"\"$9\"");
}

// A text of many references is substituted in one pass over it: rebuilding
// the text per reference took seconds for a few tens of thousands.
TEST_F(DerivedValuesTest, LongTextsOfReferences)
{
    const int kReferences = 200000;
    std::string expression;
    std::string expected;
    for (int i = 0; i < kReferences; ++i) {
        expression += "$1+";
        expected += "3+";
    }
    EXPECT_EQ(Substitute(expression.c_str(), false).Str(), expected);
}

TEST_F(DerivedValuesTest, MissingValuesRaiseNullValue)
{
    CString text;
    EXPECT_EQ(RaisedCode([&] { Substitute("1+$12", false); }, &text), QV_ERR_EXPR_NULL_VALUE);
    EXPECT_STREQ(static_cast<LPCTSTR>(text), "(VaZARO++) Null value in the expression!");
    *request.varList.GetItem(ITEM_OCTETS)->value = "(NULL)";
    EXPECT_EQ(RaisedCode([&] { Substitute("$6", true); }), QV_ERR_EXPR_NULL_VALUE);
    // Items that are not in the list have no value either.
    for (const char* expression : {"$13", "$99", "$2147483648", "$99999999999999999999"}) {
        EXPECT_EQ(RaisedCode([&] { Substitute(expression, false); }), QV_ERR_EXPR_NULL_VALUE) << expression;
        EXPECT_EQ(RaisedCode([&] { Substitute(expression, true); }), QV_ERR_EXPR_NULL_VALUE) << expression;
    }
}

TEST_F(DerivedValuesTest, TimeTicksGoInAsHundredthsInEitherTextForm)
{
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$7", false)), "12345");
    *request.varList.GetItem(ITEM_TICKS)->value = "1 day 0:00:00.00";
    EXPECT_STREQ(static_cast<LPCTSTR>(Substitute("$7", false)), "8640000");
}

TEST_F(DerivedValuesTest, AnEmptyMarkerSubstitutesNothing)
{
    EXPECT_STREQ(static_cast<LPCTSTR>(request.SubstituteReferences("$1", false, "")), "$1");
}

TEST_F(DerivedValuesTest, DerivedNumbersAreWrittenInTheItemsSyntax)
{
    const std::vector<std::tuple<int, const char*, const char*>> cases = {
        {SYNTAX_INTEGER, "$1+$2", "7"},
        {SYNTAX_INTEGER, "$1*$11", "-6"},  // the negative value keeps its sign
        {SYNTAX_INTEGER, "7.9", "7"},
        {SYNTAX_INTEGER, "-7.9", "-7"},
        {SYNTAX_INTEGER, "10000000000", "1410065408"},  // low 32 bits
        {SYNTAX_INTEGER, "2147483648", "-2147483648"},
        {SYNTAX_INTEGER, "1/0", "0"},  // no integer to take
        {SYNTAX_INTEGER, "0/0", "0"},
        {SYNTAX_BOOLEAN, "0.5", "true"},
        {SYNTAX_BOOLEAN, "0", "false"},
        {SYNTAX_BOOLEAN, "$3*$4", "false"},
        {SYNTAX_COUNTER, "0-1", "4294967295"},
        {SYNTAX_GUAGE, "4294967301", "5"},
        {SYNTAX_UINTEGER, "$2*$2", "16"},
        {SYNTAX_COUNTER64, "2*3.5", "7"},
        {SYNTAX_COUNTER64, "0-5", "0"},
        {SYNTAX_DOUBLE, "1/4", "0.250000"},
        {SYNTAX_TIMETICKS, "8640000+100", "1 day 0:00:01.00"},
        {SYNTAX_TIMETICKS, "$7", "0:02:03.45"},
        {SYNTAX_BCDATETIME, "39448.5", "2008/01/01 12:00:00 PM"},
    };
    for (const auto& [syntax, expression, expected] : cases)
        EXPECT_STREQ(static_cast<LPCTSTR>(Derive(syntax, expression)), expected) << expression;
}

TEST_F(DerivedValuesTest, DerivedValuesGoOutThroughTheOptionList)
{
    EXPECT_STREQ(static_cast<LPCTSTR>(Derive(SYNTAX_INTEGER, "$5", &band)), "5GHz");
    EXPECT_STREQ(static_cast<LPCTSTR>(Derive(SYNTAX_INTEGER, "$1+$2", &band)), "7");
}

TEST_F(DerivedValuesTest, TheFlagChoosesTheExpression)
{
    int index = AddItem(SYNTAX_INTEGER, "old", nullptr, "1", "2");
    request.EvaluateDerived(index, false, request.varList);
    EXPECT_STREQ(static_cast<LPCTSTR>(Value(index)), "2");
    request.EvaluateDerived(index, true, request.varList);
    EXPECT_STREQ(static_cast<LPCTSTR>(Value(index)), "1");
    int plain = AddItem(SYNTAX_INTEGER, "old", nullptr, nullptr, "5");
    request.EvaluateDerived(plain, true, request.varList);
    EXPECT_STREQ(static_cast<LPCTSTR>(Value(plain)), "old");
}

TEST_F(DerivedValuesTest, FailuresLeaveTheValueAsItWas)
{
    for (int syntax : {SYNTAX_OCTETSTR, SYNTAX_DISPLAYSTR, SYNTAX_IPADDRESS, SYNTAX_INT8})
        EXPECT_EQ(RaisedCode([&] { Derive(syntax, "1"); }), QV_ERR_EXPR_BAD_SYNTAX) << syntax;
    EXPECT_EQ(RaisedCode([&] { Derive(SYNTAX_INTEGER, "$6+1"); }), QV_ERR_EXPR_BAD_SYNTAX);
    EXPECT_EQ(RaisedCode([&] { Derive(SYNTAX_INTEGER, "$12+1"); }), QV_ERR_EXPR_NULL_VALUE);
    for (int index = ITEM_COUNT; index < request.varList.count; ++index)
        EXPECT_STREQ(static_cast<LPCTSTR>(Value(index)), "old");
}

TEST_F(DerivedValuesTest, ReferencesNameItemsOfTheListBeingDerived)
{
    int index = AddItem(SYNTAX_INTEGER, "old", nullptr, "$1+$2");
    CSnmpVarList received(request.varList);
    *received.GetItem(ITEM_THREE)->value = "30";
    *received.GetItem(ITEM_FOUR)->value = "40";
    request.EvaluateDerived(index, true, received);
    EXPECT_STREQ(static_cast<LPCTSTR>(*received.GetItem(index)->value), "70");
    EXPECT_STREQ(static_cast<LPCTSTR>(Value(index)), "old");
}

TEST_F(DerivedValuesTest, Conditions)
{
    const std::vector<std::pair<const char*, bool>> cases = {
        {"", true},
        {"$1 = 3", true},
        {"$1 = 4", false},
        {"$5 = 1", true},
        {"$6 = 000D88", true},
        {"$3 = 1&$4 = 0", true},
        {"($1 = 3)&($2 = 4)", true},
        {"$9 <> $1", true},
        {"$1 > $2", false},
    };
    for (const auto& [condition, expected] : cases)
        EXPECT_EQ(request.EvaluateCondition(condition), expected) << condition;
    EXPECT_EQ(RaisedCode([&] { request.EvaluateCondition("$12 = 1"); }), QV_ERR_EXPR_NULL_VALUE);
}

}  // namespace
