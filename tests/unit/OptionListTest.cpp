#include "snmpfw/OptionList.h"
#include "snmpfw/Keywords.h"

#include <gtest/gtest.h>

namespace {

const OptionPair kBandPairs[] = {{0, "2.4GHz"}, {1, "5GHz"}, {0, nullptr}};

TEST(OptionListInteger, ValueToTextMatchesTheNumberReadAsAtoiReadsIt)
{
    COptionList band(kBandPairs, COptionList::KIND_INTEGER, false);
    const struct {
        const char* value;
        const char* text;
    } cases[] = {
        {"1", "5GHz"},
        {"7", "7"},            // unknown values pass through
        {"(NULL)", "(NULL)"},  // never matched, not even by the value-0 entry
        {"abc", "2.4GHz"},     // no leading digits reads as 0
        {" 1", "5GHz"},
        {"1x", "5GHz"},
        {"-0", "2.4GHz"},
        {"", "2.4GHz"},
        {"4294967297", "4294967297"},  // saturates at 2147483647 rather than wrapping to 1
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.text), band.ValueToText(c.value)) << "value '" << c.value << "'";
}

TEST(OptionListInteger, TextToValueIgnoresLetterCaseUnlessAsked)
{
    COptionList band(kBandPairs, COptionList::KIND_INTEGER, false);
    EXPECT_EQ(CString("1"), band.TextToValue("5ghz"));
    EXPECT_EQ(CString("0"), band.TextToValue("2.4GHZ"));
    EXPECT_EQ(CString("6GHz"), band.TextToValue("6GHz"));

    COptionList exact(kBandPairs, COptionList::KIND_INTEGER, true);
    EXPECT_EQ(CString("5ghz"), exact.TextToValue("5ghz"));
    EXPECT_EQ(CString("1"), exact.TextToValue("5GHz"));
}

TEST(OptionListInteger, DuplicatesAlwaysAnswerWithTheFirstEntry)
{
    const OptionPair pairs[] = {{3, "same"}, {4, "same"}, {3, "other"}, {0, nullptr}};
    COptionList list(pairs, COptionList::KIND_INTEGER, false);
    EXPECT_EQ(CString("3"), list.TextToValue("same"));
    EXPECT_EQ(CString("same"), list.ValueToText("3"));
    EXPECT_EQ(0, list.FindValue("3"));
    EXPECT_EQ(2, list.FindText("other"));
}

TEST(OptionListString, WholeValuesAndTextsMustMatch)
{
    const OptionTextPair pairs[] = {{"up", "Link up"}, {"down", "Link down"}, {nullptr, nullptr}};
    COptionList list(pairs, COptionList::KIND_STRING, false);
    EXPECT_EQ(CString("Link up"), list.ValueToText("UP"));
    EXPECT_EQ(CString("upper"), list.ValueToText("upper"));
    EXPECT_EQ(CString("down"), list.TextToValue("link DOWN"));
    EXPECT_EQ(CString("(NULL)"), list.ValueToText("(NULL)"));

    COptionList exact(pairs, COptionList::KIND_STRING, true);
    EXPECT_EQ(CString("UP"), exact.ValueToText("UP"));
}

TEST(OptionListPrefix, LeadingPartsAreReplacedAndTheRestKept)
{
    const OptionTextPair pairs[] = {{"0x", "hex:"}, {nullptr, nullptr}};
    COptionList list(pairs, COptionList::KIND_PREFIX, false);
    EXPECT_EQ(CString("hex:1F"), list.ValueToText("0x1F"));
    EXPECT_EQ(CString("0x1F"), list.TextToValue("HEX:1F"));
    EXPECT_EQ(CString("1F"), list.ValueToText("1F"));
    EXPECT_EQ(CString("0"), list.ValueToText("0"));  // shorter than the leading part
    EXPECT_EQ(CString("hex:"), list.ValueToText("0X"));

    COptionList exact(pairs, COptionList::KIND_PREFIX, true);
    EXPECT_EQ(CString("HEX:1F"), exact.TextToValue("HEX:1F"));
}

TEST(OptionListPrefix, AnEmptyLeadingPartMatchesEveryText)
{
    const OptionTextPair pairs[] = {{"", "raw "}, {"x", "never"}, {nullptr, nullptr}};
    COptionList list(pairs, COptionList::KIND_PREFIX, false);
    EXPECT_EQ(CString("raw x1"), list.ValueToText("x1"));
    EXPECT_EQ(CString("raw "), list.ValueToText(""));
}

TEST(OptionListSources, EmptyAndNullSourcesLeaveTheListEmpty)
{
    const OptionPair onlyTerminator[] = {{5, nullptr}};
    COptionList fromNull(static_cast<const OptionPair*>(nullptr), COptionList::KIND_INTEGER, false);
    EXPECT_EQ(0, fromNull.count);
    EXPECT_EQ(nullptr, fromNull.entries);
    EXPECT_EQ(-1, fromNull.FindValue("0"));
    EXPECT_EQ(-1, fromNull.FindText(""));

    fromNull.Append(onlyTerminator);
    EXPECT_EQ(0, fromNull.count);
    EXPECT_EQ(0, COptionList::CountEntries(onlyTerminator));
    EXPECT_EQ(0, COptionList::CountEntries(static_cast<const OptionTextPair*>(nullptr)));
    EXPECT_EQ(2, COptionList::CountEntries(kBandPairs));
}

TEST(OptionListSources, AppendKeepsOrderAndClearEmpties)
{
    const OptionPair more[] = {{2, "6GHz"}, {0, nullptr}};
    COptionList list(kBandPairs, COptionList::KIND_INTEGER, false);
    list.Append(more);
    ASSERT_EQ(3, list.count);
    EXPECT_EQ(CString("6GHz"), list.ValueToText("2"));
    EXPECT_EQ(2, list.FindText("6GHZ"));

    list.Clear();
    EXPECT_EQ(0, list.count);
    EXPECT_EQ(nullptr, list.entries);
    EXPECT_EQ(CString("1"), list.ValueToText("1"));
    list.Append(more);
    EXPECT_EQ(CString("6GHz"), list.ValueToText("2"));
}

TEST(OptionListSources, UnknownKindsKeepNothing)
{
    COptionList list(kBandPairs, 4, false);
    EXPECT_EQ(0, list.count);
    EXPECT_EQ(CString("1"), list.ValueToText("1"));
    EXPECT_EQ(CString("5GHz"), list.TextToValue("5GHz"));
}

TEST(OptionListSources, ValuesOfTheOtherTypeAreTakenAsDecimalText)
{
    const OptionTextPair textValues[] = {{"12", "twelve"}, {nullptr, nullptr}};
    COptionList integers(textValues, COptionList::KIND_INTEGER, false);
    EXPECT_EQ(CString("twelve"), integers.ValueToText("12"));

    COptionList strings(kBandPairs, COptionList::KIND_STRING, false);
    EXPECT_EQ(CString("5GHz"), strings.ValueToText("1"));
    EXPECT_EQ(CString("0"), strings.TextToValue("2.4ghz"));
}

TEST(KeywordLists, TranslateCodesAndKeywordsBothWays)
{
    EXPECT_EQ(CString("guage"), SyntaxKeywords.ValueToText("66"));
    EXPECT_EQ(CString("76"), SyntaxKeywords.TextToValue("DisplayStr"));
    EXPECT_EQ(CString("199"), SyntaxKeywords.ValueToText("199"));
    EXPECT_EQ(CString("uint16"), SyntaxKeywords.ValueToText("198"));
    EXPECT_EQ(CString("6"), AccessKeywords.TextToValue("ReadWrite"));
    EXPECT_EQ(CString("invalid"), AccessKeywords.ValueToText("32"));
    EXPECT_EQ(CString("64"), AccessKeywords.ValueToText("64"));  // the implied bit has no keyword
    EXPECT_EQ(CString("MVT_UMV"), ItemTypeKeywords.ValueToText("3"));
    EXPECT_EQ(CString("0"), ItemTypeKeywords.TextToValue("svt_sv"));
}

}  // namespace
