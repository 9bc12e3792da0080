#include "snmpfw/DisplayDate.h"

#include <cstdio>

namespace {

const char* const kDisplayDateFormat = "%Y/%m/%d %H:%M:%S %p";

int ReadNumber(const CString& piece)
{
    int number = 0;
    std::sscanf(piece, "%d", &number);
    return number;
}

// Cuts the piece before the separator, and the separator, off the text.
int TakeNumber(CString& rest, char separator)
{
    const int at = rest.Find(separator);
    const CString piece = at < 0 ? rest : rest.Left(at);
    rest = at < 0 ? CString() : rest.Mid(at + 1);
    return ReadNumber(piece);
}

}  // namespace

CString FormatDisplayDate(double days)
{
    return COleDateTime(days).Format(kDisplayDateFormat);
}

COleDateTime ParseDisplayDate(const CString& text)
{
    CString rest = text;
    const int year = TakeNumber(rest, '/');
    const int month = TakeNumber(rest, '/');
    const int day = TakeNumber(rest, ' ');
    const int hour = TakeNumber(rest, ':');
    const int minute = TakeNumber(rest, ':');
    const int second = ReadNumber(rest.Left(2));
    COleDateTime date;
    date.SetDateTime(year, month, day, hour, minute, second);
    return date;
}
