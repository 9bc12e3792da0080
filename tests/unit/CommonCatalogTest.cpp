#include "common/QvCatalog.h"
#include "common/QvErrors.h"
#include "common/SnmpStatus.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// One translated range of the code space: statuses first..last (stepping by
// +1 or -1) map onto codes firstCode, firstCode - 1, ...
struct StatusRange {
    const char* name;
    int group;
    int firstStatus;
    int lastStatus;
    int firstCode;
    const char* tag;
};

const StatusRange kRanges[] = {
    {"pdu", QV_GROUP_PDU, 1, 18, -101, "(SNMP) "},
    {"snmpv3", QV_GROUP_SNMPV3, -1402, -1418, -201, "(SNMPv3) "},
    {"usm", QV_GROUP_USM, 1401, 1414, -301, "(SNMPv3USM) "},
    {"snmpclass", QV_GROUP_SNMPCLASS, -1, -23, -401, "(SNMPClass) "},
};

// The two entries of the class group that do not spell the tag as the rest do.
bool IsTagException(int code)
{
    return code == -409 || code == -420;
}

TEST(CommonCatalog, GroupSizesAddUpToTheStoredArray)
{
    const int expected[QV_GROUP_COUNT] = {18, 17, 14, 23, 31, 2};
    int total = 0;
    for (int group = 0; group < QV_GROUP_COUNT; ++group) {
        EXPECT_EQ(QvGroupSize(group), expected[group]) << "group " << group;
        total += QvGroupSize(group);
    }
    EXPECT_EQ(total, 105);
    EXPECT_EQ(QvGroupSize(QV_GROUP_COUNT), 0);
    EXPECT_EQ(QvGroupSize(-1), 0);
    EXPECT_EQ(QvCommonTextCount(), 19);
}

TEST(CommonCatalog, LookupsOutsideAGroupGiveNothing)
{
    EXPECT_EQ(QvGroupText(QV_GROUP_PDU, -1), nullptr);
    EXPECT_EQ(QvGroupText(QV_GROUP_PDU, 18), nullptr);
    EXPECT_EQ(QvGroupText(QV_GROUP_LOGLINE, 2), nullptr);
    EXPECT_EQ(QvGroupText(QV_GROUP_COUNT, 0), nullptr);
    EXPECT_EQ(QvCommonText(19), nullptr);
    EXPECT_EQ(QvCommonText(-1), nullptr);
}

TEST(CommonCatalog, EveryTranslatedStatusGivesItsCodeTextAndTag)
{
    for (const StatusRange& range : kRanges) {
        const int step = range.lastStatus > range.firstStatus ? 1 : -1;
        int expectedCode = range.firstCode;
        int index = 0;
        for (int status = range.firstStatus;; status += step, --expectedCode, ++index) {
            int code = 1;
            CString text;
            TranslateSnmpStatus(status, code, text);
            SCOPED_TRACE(std::string(range.name) + " status " + std::to_string(status));
            EXPECT_EQ(code, expectedCode);
            EXPECT_STREQ(static_cast<const char*>(text), QvGroupText(range.group, index));
            EXPECT_STREQ(QvErrorText(code), QvGroupText(range.group, index));
            if (!IsTagException(code)) {
                EXPECT_TRUE(StartsWith(static_cast<const char*>(text), range.tag));
            }
            if (status == range.lastStatus)
                break;
        }
        EXPECT_EQ(index + 1, QvGroupSize(range.group)) << range.name;
    }
}

TEST(CommonCatalog, FrameworkCodesGiveTheirTexts)
{
    EXPECT_STREQ(QvErrorText(0), "(VaZARO++) Ok!");
    for (int n = 1; n <= 29; ++n) {
        const int code = -500 - n;
        SCOPED_TRACE(code);
        EXPECT_STREQ(QvErrorText(code), QvGroupText(QV_GROUP_FRAMEWORK, n));
        EXPECT_TRUE(StartsWith(QvErrorText(code), "(VaZARO++) "));
    }
    EXPECT_STREQ(QvErrorText(QV_ERR_CREATE_SESSION), "(VaZARO++) Cannot create the global VaZARO++ session!");
    EXPECT_STREQ(QvErrorText(QV_ERR_INVALID_ADDRESS), "(VaZARO++) Invalid IP Address or DNS name!");
    EXPECT_STREQ(QvErrorText(QV_ERR_UNKNOWN), "(VaZARO++) Unknown error code!");
    EXPECT_STREQ(QvErrorText(QV_ERR_TIMER_INIT), "(VaZARO++) Init the timer error!");
}

TEST(CommonCatalog, CodesWithoutAnEntryGiveTheUnknownText)
{
    for (int code : {1, -100, -119, -200, -218, -300, -315, -400, -424, -500, -531, -1000})
        EXPECT_STREQ(QvErrorText(code), "(VaZARO++) Unknown error code!") << code;
}

TEST(CommonCatalog, TextsThatBreakThePatternAreKeptAsTheyAre)
{
    EXPECT_STREQ(QvErrorText(-409), "(SNMPClass)Unknown error code!");
    EXPECT_STREQ(QvErrorText(-420), "(SNMP Class) Transport is not supported!");
    EXPECT_STREQ(QvCommonText(8), " Please enter a number between [MIN] and [MAX]!");
    EXPECT_STREQ(QvCommonText(9), "(DiViroze) Please enter a delimited number string with "
                                  "delimiter '[DELIMITER]'.\nHere,the count of the number is "
                                  "less than [MAXCOUNT]!");
    EXPECT_STREQ(QvCommonText(14), "(DiViroze) The source to dncrypt is not encrypted!");
    EXPECT_STREQ(QvGroupText(QV_GROUP_LOGLINE, 0), "Get: [ERROR] Request:[VARLIST]. Receive at [TIME].");
    EXPECT_STREQ(QvGroupText(QV_GROUP_LOGLINE, 1), "Set: [ERROR] Request:[VARLIST]. Receive at [TIME].");
}

TEST(CommonCatalog, CommonGroupCarriesItsTagExceptAtIndexEight)
{
    EXPECT_STREQ(QvCommonText(0), "(DiViroze) Ok!");
    for (int index = 0; index < QvCommonTextCount(); ++index) {
        if (index != 8) {
            EXPECT_TRUE(StartsWith(QvCommonText(index), "(DiViroze) ")) << index;
        }
    }
}

TEST(CommonCatalog, NoTwoEntriesShareATextSoNoLookupIsOffByOne)
{
    std::set<std::string> seen;
    for (int group = 0; group < QV_GROUP_COUNT; ++group)
        for (int index = 0; index < QvGroupSize(group); ++index)
            EXPECT_TRUE(seen.insert(QvGroupText(group, index)).second) << group << "/" << index;
}

struct TranslationCase {
    int status;
    int code;
    const char* text;
};

TEST(CommonTranslateSnmpStatus, FollowsTheRulesInOrder)
{
    const TranslationCase cases[] = {
        {0, 0, "(VaZARO++) Ok!"},
        {1400, 0, "(VaZARO++) Ok!"},
        {-1401, 0, "(VaZARO++) Ok!"},
        {1, -101, "(SNMP) Response PDU Too Big!"},
        {18, -118, "(SNMP) Cannot create variable, Inconsistent Name!"},
        {19, -528, "(VaZARO++) Unknown error code!"},
        {-1402, -201, "(SNMPv3) Unsupported Security Model!"},
        {-1418, -217, "(SNMPv3) Report sent!"},
        {-1419, -528, "(VaZARO++) Unknown error code!"},
        {-1400, -528, "(VaZARO++) Unknown error code!"},
        {1401, -301, "(SNMPv3USM) error!"},
        {1414, -314, "(SNMPv3USM) Address error!"},
        {1415, -528, "(VaZARO++) Unknown error code!"},
        {1399, -528, "(VaZARO++) Unknown error code!"},
        {-5, -405, "(SNMPClass) SNMP request timed out!"},
        {-8, -408, "(SNMPClass) Closing session with outstanding requests!"},
        {-9, -409, "(SNMPClass)Unknown error code!"},
        {-20, -420, "(SNMP Class) Transport is not supported!"},
        {-23, -423, "(SNMPClass) Blocked Mode Shutdown!"},
        {-24, -528, "(VaZARO++) Unknown error code!"},
        {-528, -528, "(VaZARO++) Unknown error code!"},
        {2147483647, -528, "(VaZARO++) Unknown error code!"},
        {-2147483647 - 1, -528, "(VaZARO++) Unknown error code!"},
    };
    for (const TranslationCase& c : cases) {
        int code = 12345;
        CString text("stale");
        TranslateSnmpStatus(c.status, code, text);
        EXPECT_EQ(code, c.code) << "status " << c.status;
        EXPECT_STREQ(static_cast<const char*>(text), c.text) << "status " << c.status;
    }
}

}  // namespace
