#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Afx.h"

namespace {

struct SliceCase {
    const char* name;
    CString (*slice)(const CString&);
    const char* expected;
};

TEST(PlatformString, SlicesClampOutOfRangeArguments)
{
    const SliceCase cases[] = {
        {"Left(3)", [](const CString& s) { return s.Left(3); }, "abc"},
        {"Left(-1)", [](const CString& s) { return s.Left(-1); }, ""},
        {"Left(99)", [](const CString& s) { return s.Left(99); }, "abcdef"},
        {"Mid(2)", [](const CString& s) { return s.Mid(2); }, "cdef"},
        {"Mid(-5)", [](const CString& s) { return s.Mid(-5); }, "abcdef"},
        {"Mid(6)", [](const CString& s) { return s.Mid(6); }, ""},
        {"Mid(99)", [](const CString& s) { return s.Mid(99); }, ""},
        {"Mid(1,2)", [](const CString& s) { return s.Mid(1, 2); }, "bc"},
        {"Mid(-2,3)", [](const CString& s) { return s.Mid(-2, 3); }, "abc"},
        {"Mid(4,99)", [](const CString& s) { return s.Mid(4, 99); }, "ef"},
        {"Mid(2,-1)", [](const CString& s) { return s.Mid(2, -1); }, ""},
        {"Mid(99,2)", [](const CString& s) { return s.Mid(99, 2); }, ""},
        {"Mid(1,INT_MAX)", [](const CString& s) { return s.Mid(1, 0x7FFFFFFF); }, "bcdef"},
        {"Right(2)", [](const CString& s) { return s.Right(2); }, "ef"},
        {"Right(-1)", [](const CString& s) { return s.Right(-1); }, ""},
        {"Right(99)", [](const CString& s) { return s.Right(99); }, "abcdef"},
    };
    const CString text("abcdef");
    for (const SliceCase& c : cases)
        EXPECT_STREQ(c.slice(text), c.expected) << c.name;
}

TEST(PlatformString, FindHonoursStartAndReportsMissesAsMinusOne)
{
    const CString text("a.b.c");
    EXPECT_EQ(text.Find('.'), 1);
    EXPECT_EQ(text.Find('.', 2), 3);
    EXPECT_EQ(text.Find('.', 4), -1);
    EXPECT_EQ(text.Find('.', -1), -1);
    EXPECT_EQ(text.Find('.', 5), -1);
    EXPECT_EQ(text.Find("b.c"), 2);
    EXPECT_EQ(text.Find("b.c", 3), -1);
    EXPECT_EQ(text.Find(""), 0);
    EXPECT_EQ(text.Find("", 5), 5);
    EXPECT_EQ(text.Find("x", 6), -1);
    EXPECT_EQ(text.ReverseFind('.'), 3);
    EXPECT_EQ(text.ReverseFind('x'), -1);
    EXPECT_EQ(text.FindOneOf("cb"), 2);
    EXPECT_EQ(CString().Find('a'), -1);
}

TEST(PlatformString, TrimRemovesWhitespaceOrTheGivenCharacters)
{
    CString s(" \t\r\nvalue \n");
    EXPECT_STREQ(s.TrimLeft(), "value \n");
    EXPECT_STREQ(s.TrimRight(), "value");

    CString zeros("00120");
    EXPECT_STREQ(zeros.TrimLeft('0'), "120");
    EXPECT_STREQ(zeros.TrimRight('0'), "12");

    CString quoted("\"'x'\"");
    EXPECT_STREQ(quoted.TrimLeft("\"'"), "x'\"");
    EXPECT_STREQ(quoted.TrimRight("\"'"), "x");

    CString allSpace("   ");
    EXPECT_STREQ(allSpace.TrimRight(), "");
    CString allX("xxx");
    EXPECT_STREQ(allX.TrimRight('x'), "");
}

TEST(PlatformString, FormatHandlesLongTextsAndItsOwnArguments)
{
    const std::string longText(5000, 'q');
    CString s;
    s.Format("<%s>%d", longText.c_str(), 42);
    ASSERT_EQ(s.GetLength(), 5004);
    EXPECT_EQ(s.Left(1), "<");
    EXPECT_EQ(s.Right(4), "q>42");

    // A format argument that points into the string being formatted.
    CString self(longText.c_str());
    self.Format("%s-%s", static_cast<LPCTSTR>(self), static_cast<LPCTSTR>(self));
    EXPECT_EQ(self.GetLength(), 10001);
    EXPECT_EQ(self.Find('-'), 5000);

    CString small("old");
    small.Format("%s", "");
    EXPECT_TRUE(small.IsEmpty());
}

TEST(PlatformString, BufferAccessKeepsContentAndTakesTheNewLength)
{
    CString s("abc");
    char* buffer = s.GetBuffer(10);
    EXPECT_STREQ(buffer, "abc");
    std::strcpy(buffer, "0123456789");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "0123456789");

    buffer = s.GetBuffer(0);
    buffer[2] = '\0';
    s.ReleaseBuffer();
    EXPECT_EQ(s, "01");

    s = "abcdef";
    s.GetBuffer(3);
    s.ReleaseBuffer(4);
    EXPECT_EQ(s, "abcd");
    s.GetBuffer(0);
    s.ReleaseBuffer(100);  // never longer than the buffer
    EXPECT_EQ(s, "abcd");
}

TEST(PlatformString, ConstructionAndComparison)
{
    EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_EQ(CString("abcdef", 3), "abc");
    EXPECT_EQ(CString('x', 3), "xxx");
    EXPECT_EQ(CString('x', 0), "");

    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_EQ(CString("abc").Compare("abc"), 0);
    EXPECT_GT(CString("b").Compare("abc"), 0);
    EXPECT_GT(CString("\xE9").Compare("a"), 0);  // bytes compare unsigned, as strcmp
    EXPECT_EQ(CString("MiXeD").CompareNoCase("mixed"), 0);
    EXPECT_LT(CString("apple").CompareNoCase("BANANA"), 0);

    const CString a("a");
    EXPECT_TRUE(a == "a");
    EXPECT_TRUE("a" == a);
    EXPECT_TRUE(a != CString("b"));
    EXPECT_TRUE(a < CString("b"));
    EXPECT_EQ("x" + a + 'y' + CString("z"), "xayz");
    CString acc;
    acc += "1";
    acc += '2';
    acc += CString("3");
    acc += static_cast<const char*>(nullptr);
    EXPECT_EQ(acc, "123");
}

TEST(PlatformString, CaseAndIndexing)
{
    CString s("Ab1-z");
    EXPECT_EQ(CString(s).MakeUpper(), "AB1-Z");
    EXPECT_EQ(CString(s).MakeLower(), "ab1-z");
    const size_t index = 1;
    EXPECT_EQ(s[index], 'b');
    EXPECT_EQ(s.GetAt(4), 'z');
    EXPECT_EQ(s.GetAt(5), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(PlatformString, EditingOperations)
{
    CString s("a-b-c");
    EXPECT_EQ(s.Replace("-", "--"), 2);
    EXPECT_EQ(s, "a--b--c");
    EXPECT_EQ(s.Replace("", "x"), 0);
    EXPECT_EQ(s.Remove('-'), 4);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(s.Insert(99, 'd'), 4);
    EXPECT_EQ(s.Insert(0, "0"), 5);
    EXPECT_EQ(s, "0abcd");
    EXPECT_EQ(s.Delete(1, 99), 1);
    EXPECT_EQ(s, "0");
}

}  // namespace
