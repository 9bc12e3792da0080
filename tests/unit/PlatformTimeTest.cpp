#include <gtest/gtest.h>

#include <ctime>

#include "platform/Afx.h"

namespace {

struct DateCase {
    int year, month, day, hour, minute, second;
    double oleDate;  // negative dates: the fraction counts forward from the integer day
};

TEST(PlatformTime, SetDateTimeRoundTripsThroughTheOleValue)
{
    const DateCase cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},
        {1899, 12, 30, 12, 0, 0, 0.5},
        {1899, 12, 29, 6, 0, 0, -1.25},
        {1899, 12, 29, 18, 0, 0, -1.75},
        {1900, 1, 1, 0, 0, 0, 2.0},
        {1800, 1, 1, 12, 0, 0, -36522.5},
        {1600, 2, 29, 23, 59, 59, -109512.0 - 86399.0 / 86400.0},
        {100, 1, 1, 0, 0, 0, -657434.0},
        {2021, 3, 4, 13, 5, 9, 44259.0 + (13 * 3600 + 5 * 60 + 9) / 86400.0},
        {9999, 12, 31, 23, 59, 59, 2958465.0 + 86399.0 / 86400.0},
    };
    for (const DateCase& c : cases) {
        COleDateTime dt;
        ASSERT_EQ(dt.SetDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second), 0) << c.year;
        EXPECT_EQ(dt.GetStatus(), COleDateTime::valid);
        EXPECT_NEAR(dt.m_dt, c.oleDate, 1e-9) << c.year << "-" << c.month << "-" << c.day;

        const COleDateTime back(c.oleDate);
        EXPECT_EQ(back.GetYear(), c.year);
        EXPECT_EQ(back.GetMonth(), c.month);
        EXPECT_EQ(back.GetDay(), c.day);
        EXPECT_EQ(back.GetHour(), c.hour);
        EXPECT_EQ(back.GetMinute(), c.minute);
        EXPECT_EQ(back.GetSecond(), c.second) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(PlatformTime, FieldsAreRoundedToTheNearestSecond)
{
    const COleDateTime almostNextDay(2.0 - 1e-9);
    EXPECT_EQ(almostNextDay.GetDay(), 1);
    EXPECT_EQ(almostNextDay.GetMonth(), 1);
    EXPECT_EQ(almostNextDay.GetHour(), 0);

    // Just before midnight of 29 December 1899, counted forward from day -1.
    const COleDateTime almostEpoch(-1.0 - (1.0 - 1e-9));
    EXPECT_EQ(almostEpoch.GetDay(), 30);
    EXPECT_EQ(almostEpoch.GetHour(), 0);

    const COleDateTime halfSecond(0.5 + 0.6 / 86400.0);
    EXPECT_EQ(halfSecond.GetSecond(), 1);
}

TEST(PlatformTime, FormatUsesStrftimeCodes)
{
    const COleDateTime afternoon(2021, 3, 4, 13, 5, 9);
    EXPECT_EQ(afternoon.Format("%Y/%m/%d %H:%M:%S %p"), "2021/03/04 13:05:09 PM");
    const COleDateTime night(1850, 7, 1, 0, 30, 0);
    EXPECT_EQ(night.Format("%Y/%m/%d %H:%M:%S %p"), "1850/07/01 00:30:00 AM");
    EXPECT_EQ(night.Format("%I %p %j %A"), "12 AM 182 Monday");
    EXPECT_EQ(night.Format(""), "");

    CString longFormat;
    for (int i = 0; i < 100; ++i)
        longFormat += "%Y-";
    EXPECT_EQ(night.Format(longFormat).GetLength(), 500);
}

TEST(PlatformTime, BadFieldsMakeTheDateInvalid)
{
    const int bad[][6] = {
        {2021, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2021, 13, 1, 0, 0, 0}, {2021, 0, 1, 0, 0, 0},
        {2021, 4, 31, 0, 0, 0}, {2021, 1, 0, 0, 0, 0},  {2021, 1, 1, 24, 0, 0}, {2021, 1, 1, 0, 60, 0},
        {2021, 1, 1, 0, 0, 60}, {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0}, {2021, 1, 1, -1, 0, 0},
    };
    for (const auto& f : bad) {
        COleDateTime dt(2000, 1, 1, 0, 0, 0);
        EXPECT_NE(dt.SetDateTime(f[0], f[1], f[2], f[3], f[4], f[5]), 0) << f[0] << "-" << f[1] << "-" << f[2];
        EXPECT_EQ(dt.GetStatus(), COleDateTime::invalid);
        EXPECT_EQ(dt.GetYear(), AFX_OLE_DATETIME_ERROR);
        EXPECT_EQ(dt.Format("%Y"), "Invalid DateTime");
    }
    COleDateTime leap;
    EXPECT_EQ(leap.SetDateTime(2000, 2, 29, 0, 0, 0), 0);
    EXPECT_EQ(leap.GetDayOfYear(), 60);

    EXPECT_EQ(COleDateTime(1e10).GetYear(), AFX_OLE_DATETIME_ERROR);
    EXPECT_EQ(COleDateTime(1e10).Format("%Y"), "Invalid DateTime");
    COleDateTime nullDate;
    nullDate.SetStatus(COleDateTime::null);
    EXPECT_EQ(nullDate.Format("%Y"), "");
}

TEST(PlatformTime, ArithmeticAndOrderAcrossTheNegativeRange)
{
    const COleDateTime evening(1899, 12, 29, 18, 0, 0);  // -1.75
    const COleDateTime later(1899, 12, 29, 20, 0, 0);    // -1.8333...
    EXPECT_LT(evening, later);
    EXPECT_GT(later, evening);
    EXPECT_NEAR((later - evening).GetTotalHours(), 2.0, 1e-9);

    const COleDateTime morning(1899, 12, 30, 6, 0, 0);
    EXPECT_NEAR((morning - evening).GetTotalDays(), 0.5, 1e-9);

    const COleDateTime shifted = evening + COleDateTimeSpan(0, 8, 0, 0);
    EXPECT_EQ(shifted.GetDay(), 30);
    EXPECT_EQ(shifted.GetHour(), 2);
    const COleDateTime back = shifted - COleDateTimeSpan(1, 0, 0, 0);
    EXPECT_EQ(back.GetDay(), 29);
    EXPECT_EQ(back.GetHour(), 2);
    EXPECT_NEAR(back.m_dt, -1.0 - 2.0 / 24.0, 1e-9);

    const COleDateTimeSpan span(1, 2, 3, 4);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetHours(), 2);
    EXPECT_EQ(span.GetMinutes(), 3);
    EXPECT_EQ(span.GetSeconds(), 4);
    EXPECT_EQ((-span).GetHours(), -2);
}

TEST(PlatformTime, DayOfWeekStartsOnSunday)
{
    EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).GetDayOfWeek(), 7);  // Saturday
    EXPECT_EQ(COleDateTime(2021, 3, 4, 0, 0, 0).GetDayOfWeek(), 5);    // Thursday
    EXPECT_EQ(COleDateTime(1800, 1, 1, 0, 0, 0).GetDayOfWeek(), 4);    // Wednesday
}

TEST(PlatformTime, CurrentTimesAgreeWithTheSystemClock)
{
    const time_t before = std::time(nullptr);
    const CTime now = CTime::GetCurrentTime();
    const COleDateTime oleNow = COleDateTime::GetCurrentTime();
    const time_t after = std::time(nullptr);
    EXPECT_GE(now.GetTime(), before);
    EXPECT_LE(now.GetTime(), after);
    EXPECT_EQ(oleNow.GetStatus(), COleDateTime::valid);

    struct tm local {};
    localtime_r(&before, &local);
    EXPECT_EQ(oleNow.GetYear(), local.tm_year + 1900);
    EXPECT_EQ(now.GetLocalTm()->tm_year, local.tm_year);
}

TEST(PlatformTime, CTimeBreaksDownLocalTime)
{
    const CTime t(2021, 3, 4, 13, 5, 9);
    EXPECT_EQ(t.Format("%Y-%m-%d %H:%M:%S"), "2021-03-04 13:05:09");
    struct tm fields {};
    EXPECT_EQ(t.GetLocalTm(&fields), &fields);
    EXPECT_EQ(fields.tm_mon, 2);
    EXPECT_EQ(t.GetDayOfWeek(), 5);
    EXPECT_EQ((t + CTimeSpan(1, 0, 0, 0)).GetDay(), 5);
    EXPECT_EQ((CTime(t.GetTime() + 90) - t).GetMinutes(), 1);
}

}  // namespace
