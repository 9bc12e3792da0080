#include <gtest/gtest.h>

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/Afx.h"
#include "snmpfw/Expression.h"
#include "snmpfw/ExpressionClock.h"
#include "tests/support/ExpressionTexts.h"

namespace {

using krwtest::FirstLiteralGroup;
using krwtest::RandomText;
using krwtest::Repeat;

constexpr double kFixedNow = 46000.75;  // a moment in 2025, exact in binary

double FixedClock()
{
    return kFixedNow;
}

class ArithmeticTest : public ::testing::Test {
protected:
    void SetUp() override { previous = SetExpressionClock(&FixedClock); }
    void TearDown() override { SetExpressionClock(previous); }

    ExpressionClock previous = nullptr;
};

struct Case {
    const char* text;
    double expected;
};

void ExpectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(EvaluateArithmetic(c.text), c.expected) << "text '" << c.text << "'";
}

TEST_F(ArithmeticTest, OperatorsSplitAtTheirFirstOccurrence)
{
    ExpectCases({
        {"2*3+4", 10},
        {"2+3*4", 14},
        {"8-2-1", 7},   // 8-(2-1)
        {"7-2+1", 6},   // (7-2)+1
        {"6/2*3", 18},  // the left operand of "*" is the leaf "6/2"
        {"2*3*4", 24},
        {"12/2/3", 18},  // 12/(2/3)
        {"10/4", 2.5},
        {"1.5+2.25", 3.75},
    });
}

TEST_F(ArithmeticTest, SignsBlanksAndUnreadableLeaves)
{
    ExpectCases({
        {"-5", -5},
        {"", 0},
        {"abc", 0},
        {" 7", 7},
        {"7 ", 7},
        {"3x+1", 4},
        {"1e+5", 6},  // split at "+": the leaf "1e" reads as 1
        {"2.5e2", 250},
        {"*5", 0},
        {"-5-3", -8},  // the first "-" is a sign, the second an operator
        {"2*-3", -6},
        {"6/+2", 3},
        {"2* -3", -3},  // only directly after "*": "2* " reads as 2*0
    });
}

TEST_F(ArithmeticTest, GroupsAreReplacedByTheirFixedText)
{
    ExpectCases({
        {"(1+2)*3", 9},
        {"((2))", 2},
        {"2*(3+4)*5", 70},
        {"(1)+(2)+(3)", 6},
        {"(1/3)*3", 0.999999},  // the group goes back in as "0.333333"
        {"2*(0-3)", -6},        // "2*-3.000000": a "-" after "*" is a sign
        {"10/(0-2)", -5},
        {"5(0/0)", 5},  // "5nan" reads as 5: a NaN goes in without a sign
        {"(1+2", 2},    // unbalanced: no group, "(1" reads as 0
        {"1+2)", 3},
    });
}

// Texts that evaluate as written, and texts that evaluate to a number other
// than the one they spell.
TEST_F(ArithmeticTest, WellFormedTextsAreToldFromMalformedOnes)
{
    const struct {
        const char* text;
        bool wellFormed;
    } cases[] = {
        {"1", true},      {" 7 ", true},      {"-5-3", true},    {"2*-3", true},  {"1 - -2", true},  {"(1+2)*3", true},
        {"-(1+2)", true}, {"2.5e2", true},    {"1/0", true},     {"NOW-1", true}, {"now*1", true},   {"(NOW)", true},
        {"", false},      {"abc", false},     {"1+", false},     {"*5", false},   {"3x+1", false},   {"1e", false},
        {"1e+5", false},  {"2(3)", false},    {"(1)(2)", false}, {"(1+2", false}, {"1+2)", false},   {"()", false},
        {"2* -3", false}, {"NOW - 1", false}, {"now", false},    {"--3", false},  {"-(0-5)", false}, {"1 1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.wellFormed, IsWellFormedArithmetic(c.text)) << "text '" << c.text << "'";
}

TEST_F(ArithmeticTest, DivisionByZeroRaisesNothing)
{
    EXPECT_TRUE(std::isinf(EvaluateArithmetic("1/0")));
    EXPECT_GT(EvaluateArithmetic("1/0"), 0);
    EXPECT_TRUE(std::isnan(EvaluateArithmetic("0/0")));
    EXPECT_TRUE(std::isinf(EvaluateArithmetic("(1/0)+1")));
}

TEST_F(ArithmeticTest, NowReadsTheClock)
{
    ExpectCases({
        {"NOW", kFixedNow},
        {"NOW-1", kFixedNow - 1},
        {"NOW+0.25", kFixedNow + 0.25},
        {"NOW - 1", -1},       // the leaf "NOW " is not the keyword
        {"now", 0},            // the final leaf is case-sensitive
        {"now*1", kFixedNow},  // the left operand of "*" is not
        {"Now/2", kFixedNow / 2},
        {"2*NOW", 2 * kFixedNow},
        {"2*now", 0},
        {"(NOW)", kFixedNow},
    });
}

TEST(ArithmeticClockTest, NullRestoresTheSystemClock)
{
    ExpressionClock previous = SetExpressionClock(&FixedClock);
    EXPECT_EQ(SetExpressionClock(nullptr), &FixedClock);
    double before = COleDateTime::GetCurrentTime().m_dt;
    double now = EvaluateArithmetic("NOW");
    double after = COleDateTime::GetCurrentTime().m_dt;
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    SetExpressionClock(previous);
}

double EvaluateOnThread(const std::string& text)
{
    return krwtest::EvaluateOnThread(EvaluateArithmetic, text);
}

TEST_F(ArithmeticTest, DeepAndLongTextsEvaluate)
{
    const int n = 10000;
    EXPECT_DOUBLE_EQ(EvaluateOnThread(Repeat("(", n) + "1+2" + Repeat(")", n)), 3);
    EXPECT_DOUBLE_EQ(EvaluateOnThread("1" + Repeat("+1", n)), n + 1);
    EXPECT_DOUBLE_EQ(EvaluateOnThread("1" + Repeat("-1", n)), 1);
    EXPECT_DOUBLE_EQ(EvaluateOnThread("1" + Repeat("*1", n)), 1);
    EXPECT_DOUBLE_EQ(EvaluateOnThread("1" + Repeat("/1", n)), 1);
    EXPECT_DOUBLE_EQ(EvaluateOnThread("(1)" + Repeat("+(1)", n - 1)), n);
    EXPECT_DOUBLE_EQ(EvaluateOnThread(Repeat("(1+", n) + "1" + Repeat(")", n)), n + 1);
}

// The evaluation rules transcribed literally, recursion and all: the
// evaluator must give exactly these results.
double LiteralArithmetic(const std::string& t)
{
    const auto [open, close] = FirstLiteralGroup(t);
    if (close != std::string::npos) {
        char value[512];
        double inner = LiteralArithmetic(t.substr(open + 1, close - open - 1));
        std::snprintf(value, sizeof value, "%f", std::isnan(inner) ? std::fabs(inner) : inner);
        return LiteralArithmetic(t.substr(0, open) + value + t.substr(close + 1));
    }
    auto factor = [](const std::string& s) {
        return strcasecmp(s.c_str(), "NOW") == 0 ? FixedClock() : std::atof(s.c_str());
    };
    // A "+" or "-" at the start or right after "*" or "/" is a sign.
    auto split = [&t](char op) {
        size_t pos = t.find(op);
        while (pos != std::string::npos && (pos == 0 || t[pos - 1] == '*' || t[pos - 1] == '/'))
            pos = t.find(op, pos + 1);
        return pos;
    };
    size_t pos;
    if ((pos = split('+')) != std::string::npos)
        return LiteralArithmetic(t.substr(0, pos)) + LiteralArithmetic(t.substr(pos + 1));
    if ((pos = split('-')) != std::string::npos)
        return LiteralArithmetic(t.substr(0, pos)) - LiteralArithmetic(t.substr(pos + 1));
    if ((pos = t.find('*')) != std::string::npos)
        return factor(t.substr(0, pos)) * LiteralArithmetic(t.substr(pos + 1));
    if ((pos = t.find('/')) != std::string::npos)
        return factor(t.substr(0, pos)) / LiteralArithmetic(t.substr(pos + 1));
    return t == "NOW" ? FixedClock() : std::atof(t.c_str());
}

bool SameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

void ExpectLiteralResults(const std::vector<std::string>& pieces, int minCount, int maxCount, int rounds)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < rounds; ++round) {
        std::string text = RandomText(random, pieces, minCount, maxCount);
        double expected = LiteralArithmetic(text);
        double actual = EvaluateArithmetic(text.c_str());
        ASSERT_TRUE(SameValue(actual, expected)) << "text '" << text << "': " << actual << " vs " << expected;
    }
}

TEST_F(ArithmeticTest, AgreesWithTheLiteralRulesOnArbitraryText)
{
    ExpectLiteralResults({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "+", "-", "*",
                          "/", "(", ")", " ", ".", "e", "N", "O", "W", "n", "o", "w"},
                         0, 24, 20000);
}

TEST_F(ArithmeticTest, AgreesWithTheLiteralRulesOnLongGroups)
{
    // Groups longer than a short scan reaches are found another way.
    ExpectLiteralResults({"(", ")", "(", ")", "1", "2.5", "+", "-", "*", "/", " ", "NOW"}, 300, 900, 200);
}

// Ordinary precedence for digits, "+", "*" and parentheses; both operators
// group to the right, as the evaluator splits at the first occurrence.
class ReferenceParser {
public:
    explicit ReferenceParser(const std::string& t) : text(t) {}

    double Sum()
    {
        double value = Product();
        if (Peek() != '+')
            return value;
        ++pos;
        return value + Sum();
    }

private:
    char Peek() const { return pos < text.size() ? text[pos] : '\0'; }

    double Product()
    {
        double value = Primary();
        if (Peek() != '*')
            return value;
        ++pos;
        return value * Product();
    }

    double Primary()
    {
        if (Peek() == '(') {
            ++pos;
            double value = Sum();
            ++pos;  // ")"
            return value;
        }
        double value = 0;
        while (std::isdigit(static_cast<unsigned char>(Peek())))
            value = value * 10 + (text[pos++] - '0');
        return value;
    }

    const std::string& text;
    size_t pos = 0;
};

std::string RandomExpression(std::mt19937& random, int depth)
{
    std::uniform_int_distribution<int> choice(0, 9);
    int c = choice(random);
    if (depth <= 0 || c < 4)
        return std::to_string(std::uniform_int_distribution<int>(0, 99)(random));
    if (c < 6)
        return "(" + RandomExpression(random, depth - 1) + ")";
    return RandomExpression(random, depth - 1) + (c < 8 ? "+" : "*") + RandomExpression(random, depth - 1);
}

TEST(ArithmeticGrammarTest, AgreesWithOrdinaryPrecedenceForSumsAndProducts)
{
    std::mt19937 random(6180);
    for (int round = 0; round < 3000; ++round) {
        std::string text = RandomExpression(random, 6);
        double expected = ReferenceParser(text).Sum();
        ASSERT_DOUBLE_EQ(EvaluateArithmetic(text.c_str()), expected) << "text '" << text << "'";
    }
}

}  // namespace
