#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/Afx.h"

namespace {

std::vector<std::string> Contents(const CStringList& list)
{
    std::vector<std::string> out;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        out.emplace_back(list.GetNext(pos));
    return out;
}

using Texts = std::vector<std::string>;

TEST(PlatformCollections, PositionsSurviveRemovalOfOtherElements)
{
    CStringList list(10);
    const POSITION a = list.AddTail("a");
    const POSITION b = list.AddTail("b");
    const POSITION c = list.AddTail("c");
    const POSITION d = list.AddTail("d");
    list.RemoveAt(b);
    list.RemoveAt(a);
    EXPECT_EQ(list.GetAt(c), "c");
    EXPECT_EQ(list.GetHeadPosition(), c);

    POSITION next = c;
    EXPECT_EQ(list.GetNext(next), "c");
    EXPECT_EQ(next, d);
    list.RemoveAt(c);  // removing the element just read while iterating
    EXPECT_EQ(list.GetNext(next), "d");
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(PlatformCollections, InsertAndNavigateBothWays)
{
    CStringList list;
    const POSITION m = list.AddTail("m");
    list.InsertBefore(m, "l");
    list.InsertAfter(m, "n");
    list.AddHead("k");
    list.InsertBefore(nullptr, "head");
    list.InsertAfter(nullptr, "tail");
    EXPECT_EQ(Contents(list), (Texts{"head", "k", "l", "m", "n", "tail"}));

    POSITION pos = list.GetTailPosition();
    Texts backwards;
    while (pos != nullptr)
        backwards.emplace_back(list.GetPrev(pos));
    EXPECT_EQ(backwards, (Texts{"tail", "n", "m", "l", "k", "head"}));

    EXPECT_EQ(list.RemoveHead(), "head");
    EXPECT_EQ(list.RemoveTail(), "tail");
    EXPECT_EQ(list.GetHead(), "k");
    EXPECT_EQ(list.GetTail(), "n");
    list.SetAt(list.FindIndex(1), "L");
    EXPECT_EQ(Contents(list), (Texts{"k", "L", "m", "n"}));
    EXPECT_EQ(list.FindIndex(4), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
}

TEST(PlatformCollections, FindStartsAfterTheGivenPosition)
{
    CStringList list;
    const POSITION first = list.AddTail("x");
    list.AddTail("y");
    const POSITION second = list.AddTail("x");
    EXPECT_EQ(list.Find("x"), first);
    EXPECT_EQ(list.Find("x", first), second);
    EXPECT_EQ(list.Find("x", second), nullptr);
    EXPECT_EQ(list.Find("z"), nullptr);
}

TEST(PlatformCollections, PointerListAndBulkOperations)
{
    int values[3] = {1, 2, 3};
    CPtrList list;
    EXPECT_TRUE(list.IsEmpty());
    for (int& v : values)
        list.AddTail(&v);
    EXPECT_EQ(list.Find(&values[1]), list.FindIndex(1));
    EXPECT_EQ(*static_cast<int*>(list.GetAt(list.Find(&values[2]))), 3);

    CPtrList other;
    other.AddTail(&values[0]);
    list.AddHead(&other);
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetHead(), &values[0]);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_EQ(list.GetTailPosition(), nullptr);
    list.AddTail(&values[0]);  // usable again after RemoveAll
    EXPECT_EQ(list.GetCount(), 1);
}

std::map<std::string, std::string> Contents(const CMapStringToString& map)
{
    std::map<std::string, std::string> out;
    CString key;
    CString value;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, key, value);
        out[key.Str()] = value.Str();
    }
    return out;
}

TEST(PlatformCollections, MapStoresLooksUpAndRemoves)
{
    CMapStringToString map(10);
    map.SetAt("one", "1");
    map.SetAt("two", "2");
    map["three"] = "3";
    map.SetAt("one", "uno");
    EXPECT_EQ(map.GetCount(), 3);

    CString value("untouched");
    EXPECT_FALSE(map.Lookup("four", value));
    EXPECT_EQ(value, "untouched");
    EXPECT_TRUE(map.Lookup("one", value));
    EXPECT_EQ(value, "uno");
    EXPECT_TRUE(map.Lookup("ONE", value) == FALSE);  // keys are case-sensitive

    EXPECT_TRUE(map.RemoveKey("two"));
    EXPECT_FALSE(map.RemoveKey("two"));
    EXPECT_EQ(Contents(map), (std::map<std::string, std::string>{{"one", "uno"}, {"three", "3"}}));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(PlatformCollections, MapIterationSurvivesRemovalOfTheCurrentKey)
{
    CMapStringToString map;
    for (const char* key : {"a", "b", "c", "d"})
        map.SetAt(key, key);
    std::vector<std::string> seen;
    CString key;
    CString value;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, key, value);
        seen.emplace_back(key.Str());
        map.RemoveKey(key);
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_TRUE(map.IsEmpty());
}

}  // namespace
