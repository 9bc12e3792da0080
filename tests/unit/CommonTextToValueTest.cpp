#include "common/TextToValue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommonOctetStrFromText, HoldsTheBytesOfTheText)
{
    EXPECT_EQ(OctetStrFromText(CString("")).len(), 0u);

    const OctetStr abc = OctetStrFromText(CString("abc"));
    ASSERT_EQ(abc.len(), 3u);
    EXPECT_EQ(abc[0], 0x61);
    EXPECT_EQ(abc[1], 0x62);
    EXPECT_EQ(abc[2], 0x63);

    const OctetStr high = OctetStrFromText(CString("\xC4\xFF"));
    ASSERT_EQ(high.len(), 2u);
    EXPECT_EQ(high[0], 0xC4);
    EXPECT_EQ(high[1], 0xFF);
}

TEST(CommonOctetStrFromText, StopsAtTheFirstZeroByte)
{
    const CString withZero(std::string("ab\0cd", 5));
    const OctetStr value = OctetStrFromText(withZero);
    EXPECT_EQ(value.to_string(), "ab");
}

TEST(CommonOidFromText, ParsesDottedDecimal)
{
    const Oid upTime = OidFromText(CString("1.3.6.1.2.1.1.3.0"));
    ASSERT_EQ(upTime.len(), 9u);
    EXPECT_STREQ(upTime.get_printable(), "1.3.6.1.2.1.1.3.0");
    EXPECT_EQ(upTime[8], 0u);

    const Oid large = OidFromText(CString("1.3.4294967295"));
    ASSERT_EQ(large.len(), 3u);
    EXPECT_EQ(large[2], 4294967295u);
}

}  // namespace
