#include "plugin/ClientVarSet.h"
#include "snmpfw/SnmpVarList.h"

#include <gtest/gtest.h>

namespace {

TEST(ClientVarSetOptions, IntegersReadAsTheDeviceDocumentsThem)
{
    const struct {
        const COptionList* list;
        const char* value;
        const char* text;
    } cases[] = {
        {&AuthenticationOptions, "1", "OPEN"},
        {&AuthenticationOptions, "6", "WPA2-Personal"},
        {&AuthenticationOptions, "10", "802.1X/WEP"},
        {&AuthenticationOptions, "11", "WEP"},
        {&AuthenticationOptions, "0", "0"},  // no value 0 in this list
        {&AuthenticationOptions, "12", "12"},
        {&PowerSaveOptions, "1", "On"},
        {&PowerSaveOptions, "0", "Off"},
        {&ClientBandOptions, "1", "5GHz"},
        {&ApBandOptions, "0", "2.4GHz"},
        {&RefreshOptions, "1", "get"},
        {&RefreshOptions, "0", "nothing"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.text), c.list->ValueToText(c.value)) << c.value << " -> " << c.text;
    EXPECT_EQ(CString("1"), RefreshOptions.TextToValue("get"));
    EXPECT_EQ(CString("3"), AuthenticationOptions.TextToValue("OpenSystem-SharedKey"));
}

TEST(ClientVarSetTables, ClientTableListHasTheSixColumnsInOrder)
{
    CSnmpVarList list(kClientTableDefinitions, MVT_UMV, 0);
    ASSERT_EQ(CLIENT_COLUMN_COUNT, list.count);
    EXPECT_EQ(MVT_UMV, list.itemType);
    EXPECT_EQ(0, list.keyCount);

    const char* const base = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.";
    const struct {
        int position;
        const char* column;
        const char* name;
        int syntax;
        const COptionList* options;
    } columns[] = {
        {CLIENT_COLUMN_MAC, "2", "dot11ClientMacAddress", SYNTAX_MACADDRESS, nullptr},
        {CLIENT_COLUMN_BAND, "3", "dot11ClientBand", SYNTAX_INTEGER, &ClientBandOptions},
        {CLIENT_COLUMN_AUTHENTICATION, "4", "dot11ClientAuthentication", SYNTAX_INTEGER, &AuthenticationOptions},
        {CLIENT_COLUMN_RSSI, "5", "dot11ClientRssi", SYNTAX_INTEGER, nullptr},
        {CLIENT_COLUMN_POWERSAVE, "6", "dot11ClientPsm", SYNTAX_INTEGER, &PowerSaveOptions},
        {CLIENT_COLUMN_SSIDINDEX, "7", "dot11SSIDIndex", SYNTAX_DISPLAYSTR, nullptr},
    };
    for (const auto& c : columns) {
        const SnmpVarItem* item = list.GetItem(c.position);
        EXPECT_EQ(CString(base) + c.column, CString(item->oid)) << c.name;
        EXPECT_STREQ(c.name, item->name);
        EXPECT_EQ(c.syntax, item->syntax) << c.name;
        EXPECT_EQ(ACCESS_READONLY, item->access) << c.name;
        EXPECT_EQ(c.options, item->options) << c.name;
    }
}

TEST(ClientVarSetTables, ScalarsCarryTheirInstanceAndAreWritable)
{
    CSnmpVarList refresh(kRefreshDefinitions, MVT_SV, 0);
    ASSERT_EQ(1, refresh.count);
    EXPECT_STREQ("1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1", refresh.GetItem(0)->oid);
    EXPECT_EQ(&RefreshOptions, refresh.GetItem(0)->options);
    EXPECT_TRUE(refresh.IsSettable(0));

    CSnmpVarList band(kApBandDefinitions, MVT_SV, 0);
    ASSERT_EQ(1, band.count);
    EXPECT_STREQ("1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1", band.GetItem(0)->oid);
    EXPECT_EQ(&ApBandOptions, band.GetItem(0)->options);
    EXPECT_NE(&ClientBandOptions, band.GetItem(0)->options);  // same pairs, separate objects
    EXPECT_TRUE(band.IsReadable(0));
}

TEST(ClientVarSetDefinitions, ClientTableIsReadableAndNeverSettable)
{
    CSnmpVarList list(kClientTableDefinitions, MVT_UMV, 0);
    for (int i = 0; i < list.count; ++i) {
        EXPECT_TRUE(list.IsReadable(i)) << i;
        EXPECT_FALSE(list.IsSettable(i)) << i;
        EXPECT_FALSE(list.IsImplied(i)) << i;
    }
}

}  // namespace
