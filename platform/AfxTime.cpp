#include "platform/AfxTime.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr long long kSecondsPerDay = 86400;
// OLE day numbers of 1 January 100 and 31 December 9999.
constexpr long long kMinDay = -657434;
constexpr long long kMaxDay = 2958465;
// OLE day number of 1 January 1970.
constexpr long long kUnixEpochDay = 25569;

// The OLE value counts the fraction of a negative date away from zero; the linear
// value (plain days since the epoch) is what arithmetic and comparison need.
double DateToLinear(DATE dt)
{
    if (dt >= 0.0)
        return dt;
    const double day = std::ceil(dt);
    return day + (day - dt);
}

DATE LinearToDate(double linear)
{
    if (linear >= 0.0)
        return linear;
    const double day = std::floor(linear);
    return day - (linear - day);
}

long long FloorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = FloorDiv(y, 400);
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = FloorDiv(z, 146097);
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

CString FormatTm(LPCTSTR pFormat, const struct tm& fields)
{
    if (pFormat == nullptr || *pFormat == '\0')
        return CString();
    // strftime gives 0 both for "too small" and for an empty result, so the
    // buffer grows only up to a bound proportional to the format.
    const size_t limit = std::strlen(pFormat) * 256 + 256;
    for (size_t size = 128;; size *= 2) {
        std::string buffer(size, '\0');
        const size_t written = std::strftime(&buffer[0], size, pFormat, &fields);
        if (written != 0 || size >= limit)
            return CString(buffer.data(), static_cast<int>(written));
    }
}

}  // namespace

// ---- COleDateTimeSpan

COleDateTimeSpan::COleDateTimeSpan(long lDays, int nHours, int nMins, int nSecs) : COleDateTimeSpan()
{
    SetDateTimeSpan(lDays, nHours, nMins, nSecs);
}

void COleDateTimeSpan::SetDateTimeSpan(long lDays, int nHours, int nMins, int nSecs)
{
    m_span = static_cast<double>(lDays) + nHours / 24.0 + nMins / (24.0 * 60.0) +
             nSecs / static_cast<double>(kSecondsPerDay);
    m_status = valid;
}

long COleDateTimeSpan::GetDays() const
{
    return static_cast<long>(std::llround(m_span * kSecondsPerDay) / kSecondsPerDay);
}

long COleDateTimeSpan::GetHours() const
{
    return static_cast<long>(std::llround(m_span * kSecondsPerDay) % kSecondsPerDay / 3600);
}

long COleDateTimeSpan::GetMinutes() const
{
    return static_cast<long>(std::llround(m_span * kSecondsPerDay) % 3600 / 60);
}

long COleDateTimeSpan::GetSeconds() const
{
    return static_cast<long>(std::llround(m_span * kSecondsPerDay) % 60);
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& other) const
{
    COleDateTimeSpan result(m_span + other.m_span);
    if (m_status != valid || other.m_status != valid)
        result.m_status = invalid;
    return result;
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& other) const
{
    return *this + -other;
}

COleDateTimeSpan COleDateTimeSpan::operator-() const
{
    COleDateTimeSpan result(-m_span);
    result.m_status = m_status;
    return result;
}

COleDateTimeSpan& COleDateTimeSpan::operator+=(const COleDateTimeSpan& other)
{
    return *this = *this + other;
}

COleDateTimeSpan& COleDateTimeSpan::operator-=(const COleDateTimeSpan& other)
{
    return *this = *this - other;
}

// ---- COleDateTime

COleDateTime::COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) : COleDateTime()
{
    SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
}

COleDateTime COleDateTime::GetCurrentTime()
{
    const time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return COleDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                        local.tm_sec);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
{
    const bool ok = nYear >= 100 && nYear <= 9999 && nMonth >= 1 && nMonth <= 12 && nDay >= 1 &&
                    nDay <= DaysInMonth(nYear, nMonth) && nHour >= 0 && nHour <= 23 && nMin >= 0 && nMin <= 59 &&
                    nSec >= 0 && nSec <= 59;
    if (!ok) {
        m_dt = 0.0;
        m_status = invalid;
        return m_status;
    }
    const long long day =
        DaysFromCivil(nYear, static_cast<unsigned>(nMonth), static_cast<unsigned>(nDay)) + kUnixEpochDay;
    const double secondOfDay = nHour * 3600.0 + nMin * 60.0 + nSec;
    m_dt = LinearToDate(static_cast<double>(day) + secondOfDay / kSecondsPerDay);
    m_status = valid;
    return m_status;
}

int COleDateTime::SetDate(int nYear, int nMonth, int nDay)
{
    return SetDateTime(nYear, nMonth, nDay, 0, 0, 0);
}

int COleDateTime::SetTime(int nHour, int nMin, int nSec)
{
    return SetDateTime(1899, 12, 30, nHour, nMin, nSec);
}

bool COleDateTime::GetFields(struct tm& fields) const
{
    if (m_status != valid || !std::isfinite(m_dt))
        return false;
    const double linear = DateToLinear(m_dt);
    if (linear < kMinDay || linear >= kMaxDay + 1)
        return false;
    const long long seconds = std::llround(linear * kSecondsPerDay);
    const long long day = FloorDiv(seconds, kSecondsPerDay);
    if (day > kMaxDay)
        return false;
    const long long secondOfDay = seconds - day * kSecondsPerDay;
    const long long civilDay = day - kUnixEpochDay;
    int year = 0;
    int month = 0;
    int dayOfMonth = 0;
    CivilFromDays(civilDay, year, month, dayOfMonth);
    fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = dayOfMonth;
    fields.tm_hour = static_cast<int>(secondOfDay / 3600);
    fields.tm_min = static_cast<int>(secondOfDay % 3600 / 60);
    fields.tm_sec = static_cast<int>(secondOfDay % 60);
    fields.tm_wday = static_cast<int>(((civilDay + 4) % 7 + 7) % 7);
    fields.tm_yday = static_cast<int>(civilDay - DaysFromCivil(year, 1, 1));
    return true;
}

int COleDateTime::Field(int tm::*field, int offset) const
{
    struct tm f;
    return GetFields(f) ? f.*field + offset : AFX_OLE_DATETIME_ERROR;
}

int COleDateTime::GetYear() const
{
    return Field(&tm::tm_year, 1900);
}

int COleDateTime::GetMonth() const
{
    return Field(&tm::tm_mon, 1);
}

int COleDateTime::GetDay() const
{
    return Field(&tm::tm_mday, 0);
}

int COleDateTime::GetHour() const
{
    return Field(&tm::tm_hour, 0);
}

int COleDateTime::GetMinute() const
{
    return Field(&tm::tm_min, 0);
}

int COleDateTime::GetSecond() const
{
    return Field(&tm::tm_sec, 0);
}

int COleDateTime::GetDayOfWeek() const
{
    return Field(&tm::tm_wday, 1);
}

int COleDateTime::GetDayOfYear() const
{
    return Field(&tm::tm_yday, 1);
}

CString COleDateTime::Format(LPCTSTR pFormat) const
{
    if (m_status == null)
        return CString();
    struct tm fields;
    if (!GetFields(fields))
        return CString("Invalid DateTime");
    return FormatTm(pFormat, fields);
}

COleDateTime& COleDateTime::operator=(DATE dtSrc)
{
    m_dt = dtSrc;
    m_status = valid;
    return *this;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const
{
    COleDateTime result(LinearToDate(DateToLinear(m_dt) + span.m_span));
    if (m_status != valid || span.m_status != COleDateTimeSpan::valid)
        result.m_status = invalid;
    return result;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const
{
    return *this + -span;
}

COleDateTime& COleDateTime::operator+=(const COleDateTimeSpan& span)
{
    return *this = *this + span;
}

COleDateTime& COleDateTime::operator-=(const COleDateTimeSpan& span)
{
    return *this = *this - span;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const
{
    COleDateTimeSpan result(DateToLinear(m_dt) - DateToLinear(other.m_dt));
    if (m_status != valid || other.m_status != valid)
        result.m_status = COleDateTimeSpan::invalid;
    return result;
}

bool COleDateTime::operator==(const COleDateTime& other) const
{
    return m_status == other.m_status && DateToLinear(m_dt) == DateToLinear(other.m_dt);
}

bool COleDateTime::operator!=(const COleDateTime& other) const
{
    return !(*this == other);
}

bool COleDateTime::operator<(const COleDateTime& other) const
{
    return DateToLinear(m_dt) < DateToLinear(other.m_dt);
}

bool COleDateTime::operator>(const COleDateTime& other) const
{
    return other < *this;
}

bool COleDateTime::operator<=(const COleDateTime& other) const
{
    return !(other < *this);
}

bool COleDateTime::operator>=(const COleDateTime& other) const
{
    return !(*this < other);
}

// ---- CTimeSpan and CTime

CTimeSpan::CTimeSpan(long lDays, int nHours, int nMins, int nSecs)
    : m_timeSpan(static_cast<time_t>(lDays) * kSecondsPerDay + nHours * 3600 + nMins * 60 + nSecs)
{
}

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
{
    struct tm fields {};
    fields.tm_year = nYear - 1900;
    fields.tm_mon = nMonth - 1;
    fields.tm_mday = nDay;
    fields.tm_hour = nHour;
    fields.tm_min = nMin;
    fields.tm_sec = nSec;
    fields.tm_isdst = nDST;
    m_time = std::mktime(&fields);
}

CTime CTime::GetCurrentTime()
{
    return CTime(std::time(nullptr));
}

struct tm* CTime::GetLocalTm(struct tm* ptm) const
{
    thread_local struct tm buffer;
    return localtime_r(&m_time, ptm != nullptr ? ptm : &buffer);
}

struct tm* CTime::GetGmtTm(struct tm* ptm) const
{
    thread_local struct tm buffer;
    return gmtime_r(&m_time, ptm != nullptr ? ptm : &buffer);
}

int CTime::GetYear() const
{
    return LocalFields().tm_year + 1900;
}

int CTime::GetMonth() const
{
    return LocalFields().tm_mon + 1;
}

int CTime::GetDay() const
{
    return LocalFields().tm_mday;
}

int CTime::GetHour() const
{
    return LocalFields().tm_hour;
}

int CTime::GetMinute() const
{
    return LocalFields().tm_min;
}

int CTime::GetSecond() const
{
    return LocalFields().tm_sec;
}

int CTime::GetDayOfWeek() const
{
    return LocalFields().tm_wday + 1;
}

struct tm CTime::LocalFields() const
{
    struct tm fields {};
    if (GetLocalTm(&fields) == nullptr)
        fields = {};
    return fields;
}

CString CTime::Format(LPCTSTR pFormat) const
{
    struct tm fields;
    if (GetLocalTm(&fields) == nullptr)
        return CString();
    return FormatTm(pFormat, fields);
}

CString CTime::FormatGmt(LPCTSTR pFormat) const
{
    struct tm fields;
    if (GetGmtTm(&fields) == nullptr)
        return CString();
    return FormatTm(pFormat, fields);
}
