#pragma once

#include "platform/Afx.h"

// DateAndTime of RFC 2579. The octet form is the fields in order, the year
// first in network order (most significant octet first).
struct SnmpDateAndTime {
    enum {
        OCTET_COUNT = 11,      // what is written
        SHOWN_OCTET_COUNT = 8  // what reaches the text: the zone is never shown
    };

    // The current local time, no deci-seconds, zone '+' 0:0.
    SnmpDateAndTime();

    // "%d-%d-%d,%d:%d:%d.%d": year, month, day, hour, minutes, seconds, deci-seconds.
    CString ToText() const;
    // Accepts the text form with or without ",+h:m" / ",-h:m" after it.
    void FromText(const CString& text);

    void ToOctets(unsigned char octets[OCTET_COUNT]) const;
    // Takes at most OCTET_COUNT octets; fields beyond count become zero, the
    // direction '+'.
    void FromOctets(const unsigned char* octets, unsigned long count);

    unsigned short year;
    unsigned char month;
    unsigned char day;
    unsigned char hour;
    unsigned char minutes;
    unsigned char seconds;
    unsigned char deciSeconds;
    char direction;
    unsigned char utcHours;
    unsigned char utcMinutes;
};
