#include "snmpfw/SnmpRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(ConversionColumnEnd, TableColumnsEndWhenTheWalkLeavesThem)
{
    const char* const column = "1.3.6.1.2.1.2.2.1.2";
    const struct {
        const char* previous;
        const char* received;
        bool end;
    } cases[] = {
        {"", "1.3.6.1.2.1.2.2.1.3.1", true},
        {"1.3.6.1.2.1.2.2.1.2.6", "1.3.6.1.2.1.2.2.1.2.7", false},
        {"1.3.6.1.2.1.2.2.1.2.7", "1.3.6.1.2.1.2.2.1.2.7", true},  // the agent repeated itself
        {"", "1.3.6.1.2.1.2.2.1.2", true},                         // not longer than the column
        {"", "1.3.6.1.2.1.2.2.1", true},
        {"", "1.3.6.1.2.1.2.2.1.20.1", true},  // another column, same digits
        {"", "1.3.6.1.2.1.2.2.1.2.", false},
        {"", "", true},
        {"1.3.6.1.2.1.2.2.1.2.7", "1.3.6.1.2.1.2.2.1.2.5", true},    // went back: the walk would go round
        {"1.3.6.1.2.1.2.2.1.2.9", "1.3.6.1.2.1.2.2.1.2.10", false},  // later as OIDs, earlier as text
        {"1.3.6.1.2.1.2.2.1.2.10", "1.3.6.1.2.1.2.2.1.2.9", true},
        // Identifiers that do not parse order as the empty one, before all others.
        {"1.3.6.1.2.1.2.2.1.2.6", "1.3.6.1.2.1.2.2.1.2..7", true},
        {"1.3.6.1.2.1.2.2.1.2.6", "1.3.6.1.2.1.2.2.1.2.", true},
        {"1.3.6.1.2.1.2.2.1.2..8", "1.3.6.1.2.1.2.2.1.2.7", false},
        {"1.3.6.1.2.1.2.2.1.3.1", "1.3.6.1.2.1.2.2.1.2.7", true},  // the previous place in another column
    };
    for (int itemType : {MVT_FMV, MVT_UMV}) {
        CSnmpVarList list;
        list.itemType = itemType;
        CSnmpRequest request;
        for (const auto& c : cases)
            EXPECT_EQ(c.end, request.IsColumnEnd(column, c.previous, c.received, list)) << c.received;
    }
}

// A column whose text is no identifier makes every identifier in it the
// empty one: none is later than the one before.
TEST(ConversionColumnEnd, NothingIsLaterInAColumnThatDoesNotParse)
{
    CSnmpVarList list;
    list.itemType = MVT_FMV;
    CSnmpRequest request;
    EXPECT_TRUE(request.IsColumnEnd("1..3", "1..3.4", "1..3.5", list));
}

TEST(ConversionColumnEnd, SingleInstanceListsNeverEnd)
{
    for (int itemType : {SVT_SV, MVT_SV}) {
        CSnmpVarList list;
        list.itemType = itemType;
        CSnmpRequest request;
        EXPECT_FALSE(request.IsColumnEnd("1.3.6.1.2.1.1.3", "1.3.6.1.2.1.1.3.0", "1.3.6.1.2.1.1.3.0", list));
        EXPECT_FALSE(request.IsColumnEnd("1.3.6.1.2.1.1.3", "", "1.4", list));
    }
}

}  // namespace
