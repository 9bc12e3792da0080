#include "snmpfw/DisplayDate.h"
#include "snmpfw/SnmpDateAndTime.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

SnmpDateAndTime FromText(const char* text)
{
    SnmpDateAndTime date;
    date.FromText(text);
    return date;
}

TEST(ConversionDateAndTime, TextFormsWithAndWithoutZone)
{
    const struct {
        const char* text;
        int year, month, day, hour, minutes, seconds, deci;
        char direction;
        int zoneHours, zoneMinutes;
    } cases[] = {
        {"2008-1-2,3:4:5.6", 2008, 1, 2, 3, 4, 5, 6, '+', 0, 0},
        {"2008-1-2,3:4:5.6,+5:30", 2008, 1, 2, 3, 4, 5, 6, '+', 5, 30},
        {"2008-1-2,3:4:5.6,-11:0", 2008, 1, 2, 3, 4, 5, 6, '-', 11, 0},
        {"2008-1-2,3:4:5.6,*5:30", 2008, 1, 2, 3, 4, 5, 6, '+', 0, 0},
        {"70000-300-2,3:4:5.6", 70000 & 0xFFFF, 300 & 0xFF, 2, 3, 4, 5, 6, '+', 0, 0},
        {"2008-1-2", 2008, 1, 2, 0, 0, 0, 0, '+', 0, 0},  // what the text does not give is 0
        {"", 0, 0, 0, 0, 0, 0, 0, '+', 0, 0},
    };
    for (const auto& c : cases) {
        const SnmpDateAndTime d = FromText(c.text);
        EXPECT_EQ(c.year, d.year) << c.text;
        EXPECT_EQ(c.month, d.month) << c.text;
        EXPECT_EQ(c.day, d.day) << c.text;
        EXPECT_EQ(c.hour, d.hour) << c.text;
        EXPECT_EQ(c.minutes, d.minutes) << c.text;
        EXPECT_EQ(c.seconds, d.seconds) << c.text;
        EXPECT_EQ(c.deci, d.deciSeconds) << c.text;
        EXPECT_EQ(c.direction, d.direction) << c.text;
        EXPECT_EQ(c.zoneHours, d.utcHours) << c.text;
        EXPECT_EQ(c.zoneMinutes, d.utcMinutes) << c.text;
    }
    EXPECT_EQ(CString("2008-1-2,3:4:5.6"), FromText("2008-1-2,3:4:5.6,-5:30").ToText());
}

TEST(ConversionDateAndTime, OctetFormHasTheYearInNetworkOrder)
{
    SnmpDateAndTime date = FromText("2008-1-2,3:4:5.6,-5:30");
    unsigned char octets[SnmpDateAndTime::OCTET_COUNT];
    date.ToOctets(octets);
    const unsigned char expected[] = {0x07, 0xD8, 1, 2, 3, 4, 5, 6, '-', 5, 30};
    for (int i = 0; i < SnmpDateAndTime::OCTET_COUNT; ++i)
        EXPECT_EQ(expected[i], octets[i]) << i;

    SnmpDateAndTime partial;
    partial.FromOctets(expected, 8);
    EXPECT_EQ(2008, partial.year);
    EXPECT_EQ(6, partial.deciSeconds);
    EXPECT_EQ('+', partial.direction);
    EXPECT_EQ(0, partial.utcHours);
}

TEST(ConversionDateAndTime, NewRecordHoldsTheLocalTimeNow)
{
    const time_t before = time(nullptr);
    const SnmpDateAndTime now;
    struct tm local = {};
    local.tm_year = now.year - 1900;
    local.tm_mon = now.month - 1;
    local.tm_mday = now.day;
    local.tm_hour = now.hour;
    local.tm_min = now.minutes;
    local.tm_sec = now.seconds;
    local.tm_isdst = -1;
    const time_t taken = mktime(&local);
    EXPECT_GE(taken, before - 1);
    EXPECT_LE(taken, time(nullptr) + 1);
    EXPECT_EQ(0, now.deciSeconds);
    EXPECT_EQ('+', now.direction);
    EXPECT_EQ(0, now.utcHours);
    EXPECT_EQ(0, now.utcMinutes);
}

TEST(ConversionDisplayDate, ParsesWhatTheDisplayFormShows)
{
    const struct {
        double days;
        const char* text;
    } cases[] = {
        {0.0, "1899/12/30 00:00:00 AM"},
        {39449.5, "2008/01/02 12:00:00 PM"},
        {2958465.0, "9999/12/31 00:00:00 AM"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CString(c.text), FormatDisplayDate(c.days));
        EXPECT_DOUBLE_EQ(c.days, ParseDisplayDate(c.text).m_dt) << c.text;
    }
}

TEST(ConversionDisplayDate, MissingPiecesReadAsZero)
{
    // Seconds are two characters; the marker after them is ignored.
    EXPECT_EQ(COleDateTime(2008, 1, 2, 3, 4, 5).m_dt, ParseDisplayDate("2008/1/2 3:4:05PM").m_dt);
    EXPECT_EQ(COleDateTime(2008, 1, 2, 3, 4, 12).m_dt, ParseDisplayDate("2008/1/2 3:4:123").m_dt);
    EXPECT_EQ(COleDateTime(2008, 1, 2, 0, 0, 0).m_dt, ParseDisplayDate("2008/1/2").m_dt);
    EXPECT_EQ(COleDateTime::invalid, ParseDisplayDate("garbage").GetStatus());
    EXPECT_EQ(0.0, ParseDisplayDate("garbage").m_dt);  // sent as day 0
    EXPECT_EQ(COleDateTime::invalid, ParseDisplayDate("2008/13/40 10:00:00").GetStatus());
}

}  // namespace
