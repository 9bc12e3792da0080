#include "snmpfw/SnmpVarList.h"
#include "tests/support/SampleVarSet.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

const CSnmpVarDef kEmptyTable[] = {
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

const CString InitialValue("42");
const CString InitialInstance("1.3.6.1.2.1.1.1.0");

const CSnmpVarDef kFullTable[] = {
    {"1.3.6.1.2.1.1.1", "sysDescr", SYNTAX_DISPLAYSTR, ACCESS_READONLY, &krwtest::SampleBandOptions, "$1+1", "$2*2",
     "aux", &InitialValue, &InitialInstance},
    {"1.3.6.1.2.1.1.3", "sysUpTime", SYNTAX_TIMETICKS, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr, nullptr,
     nullptr},
    {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

CSnmpVarDef Column(const char* oid, int access)
{
    return CSnmpVarDef{oid, "column", SYNTAX_INTEGER, access, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
}

TEST(VarListBuild, NullAndEmptyTablesHoldNoDefinitions)
{
    EXPECT_EQ(0, CSnmpVarList::CountDefinitions(nullptr));
    EXPECT_EQ(0, CSnmpVarList::CountDefinitions(kEmptyTable));

    CSnmpVarList list(krwtest::kSampleScalar, MVT_SV, 0);
    list.AppendDefinitions(nullptr);
    list.AppendDefinitions(kEmptyTable);
    EXPECT_EQ(1, list.count);

    CSnmpVarList empty(kEmptyTable, MVT_FMV, 2);
    EXPECT_EQ(0, empty.count);
    EXPECT_EQ(nullptr, empty.items);
    EXPECT_EQ(MVT_FMV, empty.itemType);
    EXPECT_EQ(2, empty.keyCount);
}

TEST(VarListBuild, ItemsCopyEveryFieldOfTheirDefinition)
{
    CSnmpVarList list(kFullTable, SVT_SV, 0);
    ASSERT_EQ(2, list.count);
    const SnmpVarItem* first = list.GetItem(0);
    EXPECT_STREQ("1.3.6.1.2.1.1.1", first->oid);
    EXPECT_NE(kFullTable[0].oid, first->oid);  // a copy, not the constant
    EXPECT_STREQ("sysDescr", first->name);
    EXPECT_EQ(SYNTAX_DISPLAYSTR, first->syntax);
    EXPECT_EQ(&krwtest::SampleBandOptions, first->options);
    EXPECT_STREQ("$1+1", first->getExpression);
    EXPECT_STREQ("$2*2", first->setExpression);
    EXPECT_STREQ("aux", first->auxText);
    EXPECT_EQ(CString("42"), *first->value);
    EXPECT_EQ(CString("1.3.6.1.2.1.1.1.0"), *first->instance);

    const SnmpVarItem* second = list.GetItem(1);
    EXPECT_EQ(nullptr, second->getExpression);
    EXPECT_EQ(nullptr, second->auxText);
    ASSERT_NE(nullptr, second->value);
    EXPECT_TRUE(second->value->IsEmpty());
    EXPECT_TRUE(second->instance->IsEmpty());
}

TEST(VarListBuild, AppendingAddsAfterTheExistingItems)
{
    CSnmpVarList list(krwtest::kSampleScalar, MVT_SV, 0);
    list.AppendDefinitions(krwtest::kSampleColumns);
    ASSERT_EQ(7, list.count);
    EXPECT_STREQ("refresh", list.GetItem(0)->name);
    EXPECT_STREQ("column1", list.GetItem(1)->name);
    EXPECT_STREQ("column6", list.GetItem(6)->name);
}

TEST(VarListCopy, AssignmentReplacesItemsButKeepsTheCommonInstance)
{
    CSnmpVarList source(krwtest::kSampleColumns, MVT_UMV, 0);
    source.label = "row";
    CSnmpVarList target(krwtest::kSampleScalar, MVT_FMV, 1);
    target.instance = "7";

    target = source;
    EXPECT_EQ(CString("7"), target.instance);
    EXPECT_EQ(MVT_UMV, target.itemType);
    EXPECT_EQ(0, target.keyCount);
    EXPECT_EQ(CString("row"), target.label);
    ASSERT_EQ(6, target.count);
    EXPECT_STREQ("column1", target.GetItem(0)->name);

    // Taken rather than copied: the same, and the source has no items left.
    CSnmpVarList taker(krwtest::kSampleScalar, MVT_FMV, 1);
    taker.instance = "9";
    SnmpVarItem* const first = source.GetItem(0);
    taker = std::move(source);
    EXPECT_EQ(CString("9"), taker.instance);
    EXPECT_EQ(CString("row"), taker.label);
    ASSERT_EQ(6, taker.count);
    EXPECT_EQ(first, taker.GetItem(0));
    EXPECT_EQ(0, source.count);
    EXPECT_EQ(nullptr, source.items);

    target = CSnmpVarList();
    EXPECT_EQ(0, target.count);
    EXPECT_EQ(nullptr, target.items);
    EXPECT_EQ(CString("7"), target.instance);
}

TEST(VarListCopy, CopiesShareNothingButOptionLists)
{
    CSnmpVarList source(kFullTable, SVT_SV, 0);
    source.instance = "5";
    CSnmpVarList copy(source);
    EXPECT_TRUE(copy.instance.IsEmpty());  // the copy constructor assigns
    *copy.GetItem(0)->value = "changed";
    *copy.GetItem(0)->instance = "1.2";
    copy.GetItem(0)->getExpression[0] = '#';
    EXPECT_EQ(CString("42"), *source.GetItem(0)->value);
    EXPECT_EQ(CString("1.3.6.1.2.1.1.1.0"), *source.GetItem(0)->instance);
    EXPECT_STREQ("$1+1", source.GetItem(0)->getExpression);
    EXPECT_EQ(source.GetItem(0)->options, copy.GetItem(0)->options);
}

TEST(VarListCopy, SelfAssignmentKeepsTheItems)
{
    CSnmpVarList list(krwtest::kSampleColumns, MVT_UMV, 0);
    CSnmpVarList& same = list;
    list = same;
    ASSERT_EQ(6, list.count);
    EXPECT_STREQ("column4", list.GetItem(3)->name);
}

TEST(VarListCopy, OwnedOptionListsAreReleasedWithTheList)
{
    const OptionPair pairs[] = {{1, "one"}, {0, nullptr}};
    CSnmpVarList* list = new CSnmpVarList;
    list->ownedOptionLists.AddTail(new COptionList(pairs, COptionList::KIND_INTEGER, false));
    list->ownedOptionLists.AddTail(new COptionList(pairs, COptionList::KIND_INTEGER, false));
    CSnmpVarList other;
    *list = other;
    EXPECT_EQ(2, list->ownedOptionLists.GetCount());
    delete list;  // the leak checker fails the run if the two lists stay behind
}

TEST(VarListTests, IndexColumnsOfTableListsAreSettable)
{
    const CSnmpVarDef table[] = {Column("1.1", ACCESS_READONLY), Column("1.2", ACCESS_READONLY), Column(nullptr, 0)};
    const struct {
        int itemType;
        bool first;
        bool second;
    } cases[] = {
        {MVT_FMV, true, false},
        {MVT_UMV, true, false},
        {MVT_SV, false, false},
        {SVT_SV, false, false},
    };
    for (const auto& c : cases) {
        CSnmpVarList list(table, c.itemType, 1);
        EXPECT_EQ(c.first, list.IsSettable(0)) << "item type " << c.itemType;
        EXPECT_EQ(c.second, list.IsSettable(1)) << "item type " << c.itemType;
    }
}

TEST(VarListTests, InvalidBitOverridesEverythingButImplied)
{
    const CSnmpVarDef table[] = {
        Column("1.1", ACCESS_READWRITE | ACCESS_INVALID),
        Column("1.2", ACCESS_READWRITE | ACCESS_INVALID | ACCESS_IMPLIED),
        Column("1.3", ACCESS_WRITEONLY),
        Column("1.4", ACCESS_NOTACCESS),
        Column(nullptr, 0),
    };
    CSnmpVarList list(table, MVT_FMV, 2);
    EXPECT_FALSE(list.IsReadable(0));
    EXPECT_FALSE(list.IsSettable(0));  // even as an index column
    EXPECT_FALSE(list.IsImplied(0));
    EXPECT_TRUE(list.IsImplied(1));
    EXPECT_FALSE(list.IsReadable(1));
    EXPECT_FALSE(list.IsReadable(2));
    EXPECT_TRUE(list.IsSettable(2));
    EXPECT_FALSE(list.IsReadable(3));
    EXPECT_FALSE(list.IsSettable(3));
}

}  // namespace
