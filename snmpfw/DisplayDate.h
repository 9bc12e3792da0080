#pragma once

#include "platform/Afx.h"

// The display form of a bcdatetime value: "%Y/%m/%d %H:%M:%S %p" of a day
// count since 30 December 1899.
CString FormatDisplayDate(double days);

// Reads the display form back: year "/" month "/" day " " hour ":" minutes
// ":" two digits of seconds; whatever follows (AM or PM) is ignored. A
// missing separator takes the rest of the text as the piece and leaves
// nothing for the fields after it, which read as 0.
COleDateTime ParseDisplayDate(const CString& text);
