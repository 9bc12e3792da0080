#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Afx.h"
#include "snmpfw/Expression.h"
#include "tests/support/ExpressionTexts.h"

namespace {

using krwtest::FirstLiteralGroup;
using krwtest::RandomText;
using krwtest::Repeat;

struct TextCase {
    const char* text;
    const char* expected;
};

TEST(UnquoteTest, TrimsAndRemovesOnePairOfQuotes)
{
    const std::vector<TextCase> cases = {
        {"  \"abc\"  ", "abc"}, {"\"", ""},   {"\"abc", "\"abc"}, {"abc\"", "abc\""},   {"", ""},
        {" \t\r\n", ""},        {"\"\"", ""}, {"\"a b\"", "a b"}, {"\"a\"b\"", "a\"b"}, {"\t x y \n", "x y"},
    };
    for (const TextCase& c : cases)
        EXPECT_STREQ(static_cast<LPCTSTR>(Unquote(c.text)), c.expected) << "text '" << c.text << "'";
}

struct SplitCase {
    const char* text;
    int index;
    const char* left;
    const char* right;
};

TEST(SplitAtComparisonTest, FirstListedOperatorAfterTheFirstCharacterWins)
{
    const std::vector<SplitCase> cases = {
        {"a<>b", COMPARE_NOT_EQUAL, "a", "b"},
        {"a>=b", COMPARE_GREATER_EQUAL, "a", "b"},
        {"a<=b", COMPARE_LESS_EQUAL, "a", "b"},
        {"a>b", COMPARE_GREATER, "a", "b"},
        {"a<b", COMPARE_LESS, "a", "b"},
        {"a=b", COMPARE_EQUAL, "a", "b"},
        {"a = b <> c", COMPARE_NOT_EQUAL, "a = b ", " c"},
        {"a < b = c", COMPARE_LESS, "a ", " b = c"},
        {"<a=b", COMPARE_EQUAL, "<a", "b"},
        {"a=", COMPARE_EQUAL, "a", ""},
    };
    for (const SplitCase& c : cases) {
        CString left;
        CString right;
        EXPECT_EQ(SplitAtComparison(ComparisonOperators, c.text, left, right), c.index) << c.text;
        EXPECT_STREQ(static_cast<LPCTSTR>(left), c.left) << c.text;
        EXPECT_STREQ(static_cast<LPCTSTR>(right), c.right) << c.text;
    }
}

TEST(SplitAtComparisonTest, NoOperatorLeavesTheOperandsUntouched)
{
    // An operator at the very start does not count even when it occurs
    // again later.
    for (const char* text : {"", "abc", "=a", ">a>b", "<"}) {
        CString left = "L";
        CString right = "R";
        EXPECT_EQ(SplitAtComparison(ComparisonOperators, text, left, right), -1) << text;
        EXPECT_STREQ(static_cast<LPCTSTR>(left), "L");
        EXPECT_STREQ(static_cast<LPCTSTR>(right), "R");
    }
}

TEST(SplitAtComparisonTest, UsesTheListItIsGiven)
{
    const char* const operators[] = {"~", "==", nullptr};
    CString left;
    CString right;
    EXPECT_EQ(SplitAtComparison(operators, "a==b~c", left, right), 0);
    EXPECT_STREQ(static_cast<LPCTSTR>(left), "a==b");
    EXPECT_STREQ(static_cast<LPCTSTR>(right), "c");
    EXPECT_EQ(SplitAtComparison(operators, "a=b", left, right), -1);
}

struct LogicCase {
    const char* text;
    bool expected;
};

void ExpectLogic(const std::vector<LogicCase>& cases)
{
    for (const LogicCase& c : cases)
        EXPECT_EQ(EvaluateLogic(c.text), c.expected) << "text '" << c.text << "'";
}

TEST(CompareTermsTest, KeywordAndComparisons)
{
    const std::vector<LogicCase> cases = {
        {"true", true},
        {"True", true},
        {" true", false},
        {"false", false},
        {"x y", false},
        {"", false},
        {"=a", false},
        {"a = a", true},
        {"A = a", false},
        {"a <> b", true},
        {"a <> a", false},
        {"b > a", true},
        {"a > a", false},
        {"a >= a", true},
        {"a <= b", true},
        {"b <= a", false},
        {"a < b", true},
        {"10 > 9", false},
        {"9 > 10", true},
        {"a <> NOW", false},
        {"NOW = NOW", false},
        {"now <> x", false},
        {"\"NOW\" = \"NOW\"", false},
        {"\"x y\" = x y", true},
        {"\"\" = ", true},
        {"a=>b", false},
    };
    for (const LogicCase& c : cases)
        EXPECT_EQ(CompareTerms(c.text), c.expected) << "text '" << c.text << "'";
}

TEST(EvaluateLogicTest, Keywords)
{
    ExpectLogic({{"true", true}, {"TRUE", true}, {"false", false}, {"yes", false}, {" true", false}});
}

TEST(EvaluateLogicTest, OrAndNotSplitAtTheirFirstOccurrence)
{
    ExpectLogic({
        {"p = q|r = r", true},
        {"p = p&q = r", false},
        {"!p = q", true},
        {"!true", false},
        {"!!true", true},
        {"a = b!", true},  // the text before "!" is ignored
        {"a = b|a = a&b = b", true},
        {"a = a&b = c|a = a", true},
        {"!a = a|a = a", true},
        {"a = a&!a = b", true},
        {"a = b&x", false},
        {"true|", true},
        {"|true", true},
        {"&true", false},
    });
}

TEST(EvaluateLogicTest, GroupsAreResolvedFirstAndKeepTheBlanksAroundThem)
{
    ExpectLogic({
        {"(a = a)&(b = b)", true},
        {"(a = a) & (b = b)", false},  // "true " is not the keyword
        {"(a = a)|(x = y)", true},
        {"(x = y)|(a = a)", true},
        {"((true))", true},
        {"!(a = b)", true},
        {"(a = b|(c = c&d = d))", true},
        {"(true", false},  // unbalanced: no group
    });
}

TEST(EvaluateLogicTest, OnlyTheFirstQuotedSpanHidesOperators)
{
    ExpectLogic({
        {"\"a|b\" = \"a|b\"", true},
        {"\"a&b\" = \"a&b\"", true},
        {"\"a!b\" = \"a!b\"", true},
        {"\"(a)\" = \"(a)\"", true},
        {"\"(\" = \"(\"", true},
        {"\"a\" = \"a\"|\"x|y\" = z", true},
        {"\"x\" = y|\"a|b\" = \"a|b\"", true},
        {"\"x\" = \"y\"&\"a|b\" = \"a|b\"", false},
        // A "(" without a partner hides the last group until "&" splits it off.
        {"(a = a)&\"(\" = \"(\"&(b = c)", false},
        {"(a = a)&\"(\" = \"(\"&(b = b)", true},
    });
}

bool EvaluateOnThread(const std::string& text)
{
    return krwtest::EvaluateOnThread(EvaluateLogic, text);
}

TEST(EvaluateLogicTest, DeepAndLongTextsEvaluate)
{
    const int n = 10000;
    EXPECT_TRUE(EvaluateOnThread(Repeat("(", n) + "a = a" + Repeat(")", n)));
    EXPECT_TRUE(EvaluateOnThread(Repeat("a = b|", n) + "a = a"));
    EXPECT_FALSE(EvaluateOnThread(Repeat("a = a&", n) + "a = b"));
    EXPECT_TRUE(EvaluateOnThread(Repeat("!", n) + "true"));
    EXPECT_FALSE(EvaluateOnThread(Repeat("!", n - 1) + "true"));
    EXPECT_TRUE(EvaluateOnThread("(a = a)" + Repeat("&(a = a)", n - 1)));
    EXPECT_TRUE(EvaluateOnThread(Repeat("(a = b|", n) + "a = a" + Repeat(")", n)));
}

// The evaluation rules transcribed literally, recursion and all.
bool LiteralLogic(const std::string& t)
{
    const size_t npos = std::string::npos;
    size_t q1 = t.find('"');
    size_t q2 = q1 == npos ? npos : t.find('"', q1 + 1);
    auto quoted = [&](size_t p) { return q1 != npos && q2 != npos && p > q1 && p < q2; };
    auto first = [&](char op) {
        size_t p = t.find(op);
        return p != npos && quoted(p) ? npos : p;
    };
    const auto [open, close] = FirstLiteralGroup(t);
    if (close != npos && !quoted(open) && !quoted(close)) {
        bool inner = LiteralLogic(t.substr(open + 1, close - open - 1));
        return LiteralLogic(t.substr(0, open) + (inner ? "true" : "false") + t.substr(close + 1));
    }
    size_t pos;
    if ((pos = first('|')) != npos)
        return LiteralLogic(t.substr(0, pos)) || LiteralLogic(t.substr(pos + 1));
    if ((pos = first('&')) != npos)
        return LiteralLogic(t.substr(0, pos)) && LiteralLogic(t.substr(pos + 1));
    if ((pos = first('!')) != npos)
        return !LiteralLogic(t.substr(pos + 1));
    return CompareTerms(t.c_str());
}

void ExpectLiteralResults(const std::vector<std::string>& pieces, int minCount, int maxCount, int rounds)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < rounds; ++round) {
        const std::string text = RandomText(random, pieces, minCount, maxCount);
        ASSERT_EQ(EvaluateLogic(text.c_str()), LiteralLogic(text)) << "text '" << text << "'";
    }
}

TEST(EvaluateLogicTest, AgreesWithTheLiteralRulesOnArbitraryText)
{
    ExpectLiteralResults({"a", "b", " ", "=", "<", ">", "!", "&", "|", "(", ")", "\"", "t", "r", "u", "e"}, 0, 20,
                         20000);
}

TEST(EvaluateLogicTest, AgreesWithTheLiteralRulesOnLongGroups)
{
    // Groups longer than a short scan reaches are found another way.
    ExpectLiteralResults({"(", ")", "(", ")", "a = a", "a = b", "true", "|", "&", "!", "\"", " "}, 300, 900, 200);
}

}  // namespace
