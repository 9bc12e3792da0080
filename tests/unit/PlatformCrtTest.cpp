#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Afx.h"

namespace {

TEST(PlatformCrt, IntegerToTextInEveryRadix)
{
    char buffer[80];
    struct Case {
        std::string actual;
        const char* expected;
    };
    const Case cases[] = {
        {_itoa(0, buffer, 10), "0"},
        {_itoa(-123, buffer, 10), "-123"},
        {_itoa(INT_MIN, buffer, 10), "-2147483648"},
        {_itoa(-1, buffer, 16), "ffffffff"},
        {_itoa(255, buffer, 2), "11111111"},
        {_itoa(35, buffer, 36), "z"},
        {_i64toa(INT64_MIN, buffer, 10), "-9223372036854775808"},
        {_i64toa(INT64_MAX, buffer, 10), "9223372036854775807"},
        {_i64toa(-1, buffer, 16), "ffffffffffffffff"},
        {_i64toa(-2, buffer, 8), "1777777777777777777776"},
        {_ui64toa(UINT64_MAX, buffer, 10), "18446744073709551615"},
        {_ui64toa(UINT64_MAX, buffer, 36), "3w5e11264sgsf"},
        {_ui64toa(0xABCDEF, buffer, 16), "abcdef"},
        {_ltoa(-42, buffer, 10), "-42"},
        {_ultoa(42, buffer, 5), "132"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected);

    std::memset(buffer, 'x', sizeof buffer);
    _ui64toa(UINT64_MAX, buffer, 2);
    EXPECT_EQ(std::strlen(buffer), 64u);
    EXPECT_EQ(std::string(_itoa(5, buffer, 1)), "");
    EXPECT_EQ(std::string(_itoa(5, buffer, 37)), "");
    EXPECT_EQ(_itoa(5, nullptr, 10), nullptr);
}

TEST(PlatformCrt, AtoiSaturatesAtThe32BitRangeAsWindowsDoes)
{
    const std::pair<const char*, int> cases[] = {
        {"42", 42},
        {"  -17xyz", -17},
        {"+5", 5},
        {"abc", 0},
        {"", 0},
        {nullptr, 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"4294967297", INT32_MAX},
        {"99999999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, AfxAtoi(c.first)) << (c.first ? c.first : "null");
}

TEST(PlatformCrt, CaseInsensitiveComparisons)
{
    EXPECT_EQ(_memicmp("AbC\0x", "aBc\0y", 4), 0);  // stops at count, not at NUL
    EXPECT_LT(_memicmp("AbC\0x", "aBc\0y", 5), 0);
    EXPECT_GT(_memicmp("b", "A", 1), 0);
    EXPECT_EQ(_memicmp("x", "y", 0), 0);

    const auto* upper = reinterpret_cast<const unsigned char*>("HELLO");
    const auto* lower = reinterpret_cast<const unsigned char*>("hello");
    EXPECT_EQ(_mbsicmp(upper, lower), 0);
    EXPECT_LT(_mbscmp(upper, lower), 0);
    EXPECT_EQ(_mbscmp(lower, lower), 0);
    EXPECT_GT(_mbsicmp(reinterpret_cast<const unsigned char*>("hellO!"), lower), 0);
    EXPECT_LT(_stricmp("abc", "ABCD"), 0);
    EXPECT_EQ(_strnicmp("abcX", "ABCY", 3), 0);
}

TEST(PlatformCrt, StrdupCopiesAndPassesNullThrough)
{
    char* copy = _strdup("text");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "text");
    std::free(copy);
    EXPECT_EQ(_strdup(nullptr), nullptr);
}

class PlatformTempPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* saved = std::getenv("TMPDIR");
        hadTmpDir = saved != nullptr;
        if (hadTmpDir)
            savedTmpDir = saved;
    }
    void TearDown() override
    {
        if (hadTmpDir) {
            ::setenv("TMPDIR", savedTmpDir.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    static std::string TempPath()
    {
        char buffer[256] = {};
        const DWORD length = GetTempPathA(sizeof buffer, buffer);
        EXPECT_EQ(length, std::strlen(buffer));
        return buffer;
    }

    bool hadTmpDir = false;
    std::string savedTmpDir;
};

// TMPDIR, or else a folder of the user's own, made so that only the user
// may use it; one that others may write in is nobody's own.
TEST_F(PlatformTempPath, TmpDirOrTheUsersOwnFolder)
{
    const std::string own = "/tmp/krw-" + std::to_string(geteuid()) + "/";
    ::unsetenv("TMPDIR");
    EXPECT_EQ(TempPath(), own);
    struct stat status {};
    ASSERT_EQ(0, ::lstat(own.c_str(), &status));
    EXPECT_EQ(geteuid(), status.st_uid);
    EXPECT_EQ(0700u, status.st_mode & 0777u);
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(TempPath(), own);
    ASSERT_EQ(0, ::chmod(own.c_str(), 0777));
    char buffer[256] = {};
    EXPECT_EQ(0u, GetTempPathA(sizeof buffer, buffer));
    ASSERT_EQ(0, ::chmod(own.c_str(), 0700));
    ::setenv("TMPDIR", "/var/scratch", 1);
    EXPECT_EQ(TempPath(), "/var/scratch/");
    ::setenv("TMPDIR", "/var/scratch/", 1);
    EXPECT_EQ(TempPath(), "/var/scratch/");
}

TEST_F(PlatformTempPath, TooSmallBufferIsLeftAloneAndTheNeededSizeReturned)
{
    ::setenv("TMPDIR", "/abc", 1);  // "/abc/" needs 6 bytes with the NUL
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(GetTempPathA(5, buffer), 6u);
    EXPECT_EQ(buffer[0], 'Z');
    EXPECT_EQ(GetTempPathA(0, nullptr), 6u);
    EXPECT_EQ(GetTempPathA(6, buffer), 5u);
    EXPECT_STREQ(buffer, "/abc/");
}

TEST(PlatformKernel, TickCountAdvancesAtLeastAsLongAsSleep)
{
    const DWORD start = GetTickCount();
    Sleep(30);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - start), 30u);
}

TEST(PlatformKernel, LastErrorIsPerThread)
{
    SetLastError(ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(PlatformWinsock, InetNtoaGivesDottedText)
{
    in_addr address{};
    address.s_addr = htonl(0x7F000001);
    EXPECT_STREQ(inet_ntoa(address), "127.0.0.1");
}

}  // namespace
