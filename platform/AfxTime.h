#pragma once
// Dates and times: the OLE automation date (COleDateTime) and the C time_t wrapper (CTime).

#include <ctime>

#include "platform/AfxString.h"
#include "platform/AfxTypes.h"

// Days since 30 December 1899 00:00; the fraction is the time of day. Before that
// day the value is negative and the fraction still counts forward from the
// integer day: -1.25 is 29 December 1899 06:00.
typedef double DATE;

// Value returned by the field getters of an invalid date.
#define AFX_OLE_DATETIME_ERROR (-1)

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTimeSpan() : m_span(0.0), m_status(valid) {}
    COleDateTimeSpan(double dblSpanSrc) : m_span(dblSpanSrc), m_status(valid) {}
    COleDateTimeSpan(long lDays, int nHours, int nMins, int nSecs);

    void SetDateTimeSpan(long lDays, int nHours, int nMins, int nSecs);
    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    double GetTotalDays() const { return m_span; }
    double GetTotalHours() const { return m_span * 24.0; }
    double GetTotalMinutes() const { return m_span * 24.0 * 60.0; }
    double GetTotalSeconds() const { return m_span * 24.0 * 60.0 * 60.0; }
    // Components of the span rounded to the second; they carry the span's sign.
    long GetDays() const;
    long GetHours() const;
    long GetMinutes() const;
    long GetSeconds() const;

    COleDateTimeSpan operator+(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-() const;
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& other);
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& other);

    bool operator==(const COleDateTimeSpan& o) const { return m_span == o.m_span; }
    bool operator!=(const COleDateTimeSpan& o) const { return m_span != o.m_span; }
    bool operator<(const COleDateTimeSpan& o) const { return m_span < o.m_span; }
    bool operator>(const COleDateTimeSpan& o) const { return m_span > o.m_span; }
    bool operator<=(const COleDateTimeSpan& o) const { return m_span <= o.m_span; }
    bool operator>=(const COleDateTimeSpan& o) const { return m_span >= o.m_span; }

    double m_span;
    DateTimeSpanStatus m_status;
};

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() : m_dt(0.0), m_status(valid) {}
    COleDateTime(DATE dtSrc) : m_dt(dtSrc), m_status(valid) {}
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);

    // Local time now, to the second.
    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // Years 100 to 9999. Return 0 and make the date valid on success; on bad fields
    // the status becomes invalid and the result is nonzero.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay);
    int SetTime(int nHour, int nMin, int nSec);

    // Fields of the date rounded to the nearest second; AFX_OLE_DATETIME_ERROR when invalid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;  // 1 = 1 January

    // strftime codes. An invalid date gives "Invalid DateTime", a null date the empty text.
    CString Format(LPCTSTR pFormat) const;

    operator DATE() const { return m_dt; }
    COleDateTime& operator=(DATE dtSrc);

    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span);
    COleDateTime& operator-=(const COleDateTimeSpan& span);
    COleDateTimeSpan operator-(const COleDateTime& other) const;

    // Compare points in time (the negative-date convention taken into account).
    bool operator==(const COleDateTime& other) const;
    bool operator!=(const COleDateTime& other) const;
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const;
    bool operator<=(const COleDateTime& other) const;
    bool operator>=(const COleDateTime& other) const;

    DATE m_dt;
    DateTimeStatus m_status;

private:
    bool GetFields(struct tm& fields) const;
    // One field of GetFields plus offset; AFX_OLE_DATETIME_ERROR when invalid.
    int Field(int tm::*field, int offset) const;
};

class CTimeSpan {
public:
    CTimeSpan() : m_timeSpan(0) {}
    CTimeSpan(time_t seconds) : m_timeSpan(seconds) {}
    CTimeSpan(long lDays, int nHours, int nMins, int nSecs);

    time_t GetTotalSeconds() const { return m_timeSpan; }
    long GetDays() const { return static_cast<long>(m_timeSpan / 86400); }
    long GetTotalHours() const { return static_cast<long>(m_timeSpan / 3600); }
    long GetTotalMinutes() const { return static_cast<long>(m_timeSpan / 60); }
    int GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }
    int GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }
    int GetSeconds() const { return static_cast<int>(m_timeSpan - GetTotalMinutes() * 60); }

    bool operator==(const CTimeSpan& o) const { return m_timeSpan == o.m_timeSpan; }
    bool operator!=(const CTimeSpan& o) const { return m_timeSpan != o.m_timeSpan; }
    bool operator<(const CTimeSpan& o) const { return m_timeSpan < o.m_timeSpan; }

private:
    time_t m_timeSpan;
};

class CTime {
public:
    CTime() : m_time(0) {}
    CTime(time_t time) : m_time(time) {}
    // Local time; nDST < 0 lets the C library decide about daylight saving time.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);

    static CTime GetCurrentTime();

    time_t GetTime() const { return m_time; }
    // Broken-down local (GetLocalTm) or UTC (GetGmtTm) time. Without a buffer the
    // result lives in a per-thread buffer that the next call overwrites.
    struct tm* GetLocalTm(struct tm* ptm = nullptr) const;
    struct tm* GetGmtTm(struct tm* ptm = nullptr) const;

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday

    CString Format(LPCTSTR pFormat) const;
    CString FormatGmt(LPCTSTR pFormat) const;

    CTimeSpan operator-(const CTime& other) const { return CTimeSpan(m_time - other.m_time); }
    CTime operator+(const CTimeSpan& span) const { return CTime(m_time + span.GetTotalSeconds()); }
    CTime operator-(const CTimeSpan& span) const { return CTime(m_time - span.GetTotalSeconds()); }

    bool operator==(const CTime& o) const { return m_time == o.m_time; }
    bool operator!=(const CTime& o) const { return m_time != o.m_time; }
    bool operator<(const CTime& o) const { return m_time < o.m_time; }
    bool operator>(const CTime& o) const { return m_time > o.m_time; }
    bool operator<=(const CTime& o) const { return m_time <= o.m_time; }
    bool operator>=(const CTime& o) const { return m_time >= o.m_time; }

private:
    struct tm LocalFields() const;  // zeroed when the time cannot be converted

    time_t m_time;
};
