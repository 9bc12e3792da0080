#include "snmpfw/SnmpDateAndTime.h"

#include <cstdio>
#include <ctime>

SnmpDateAndTime::SnmpDateAndTime() : deciSeconds(0), direction('+'), utcHours(0), utcMinutes(0)
{
    struct tm local = {};
    CTime::GetCurrentTime().GetLocalTm(&local);
    year = static_cast<unsigned short>(local.tm_year + 1900);
    month = static_cast<unsigned char>(local.tm_mon + 1);
    day = static_cast<unsigned char>(local.tm_mday);
    hour = static_cast<unsigned char>(local.tm_hour);
    minutes = static_cast<unsigned char>(local.tm_min);
    seconds = static_cast<unsigned char>(local.tm_sec);
}

CString SnmpDateAndTime::ToText() const
{
    CString text;
    text.Format("%d-%d-%d,%d:%d:%d.%d", year, month, day, hour, minutes, seconds, deciSeconds);
    return text;
}

// Numbers the text does not give are taken as 0, so that a malformed text
// still yields one defined date.
void SnmpDateAndTime::FromText(const CString& text)
{
    int n[9] = {};
    char sign = '+';
    if (std::sscanf(text, "%d-%d-%d,%d:%d:%d.%d,+%d:%d", &n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6], &n[7],
                    &n[8]) != 9) {
        int m[9] = {};
        if (std::sscanf(text, "%d-%d-%d,%d:%d:%d.%d,-%d:%d", &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7],
                        &m[8]) == 9) {
            sign = '-';
            for (int i = 0; i < 9; ++i)
                n[i] = m[i];
        } else {
            for (int& v : n)
                v = 0;
            std::sscanf(text, "%d-%d-%d,%d:%d:%d.%d", &n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6]);
        }
    }
    year = static_cast<unsigned short>(n[0]);
    month = static_cast<unsigned char>(n[1]);
    day = static_cast<unsigned char>(n[2]);
    hour = static_cast<unsigned char>(n[3]);
    minutes = static_cast<unsigned char>(n[4]);
    seconds = static_cast<unsigned char>(n[5]);
    deciSeconds = static_cast<unsigned char>(n[6]);
    direction = sign;
    utcHours = static_cast<unsigned char>(n[7]);
    utcMinutes = static_cast<unsigned char>(n[8]);
}

void SnmpDateAndTime::ToOctets(unsigned char octets[OCTET_COUNT]) const
{
    octets[0] = static_cast<unsigned char>(year >> 8);
    octets[1] = static_cast<unsigned char>(year & 0xFF);
    octets[2] = month;
    octets[3] = day;
    octets[4] = hour;
    octets[5] = minutes;
    octets[6] = seconds;
    octets[7] = deciSeconds;
    octets[8] = static_cast<unsigned char>(direction);
    octets[9] = utcHours;
    octets[10] = utcMinutes;
}

void SnmpDateAndTime::FromOctets(const unsigned char* octets, unsigned long count)
{
    unsigned char o[OCTET_COUNT] = {0, 0, 0, 0, 0, 0, 0, 0, '+', 0, 0};
    for (unsigned long i = 0; i < count && i < OCTET_COUNT; ++i)
        o[i] = octets[i];
    year = static_cast<unsigned short>((o[0] << 8) | o[1]);
    month = o[2];
    day = o[3];
    hour = o[4];
    minutes = o[5];
    seconds = o[6];
    deciSeconds = o[7];
    direction = static_cast<char>(o[8]);
    utcHours = o[9];
    utcMinutes = o[10];
}
