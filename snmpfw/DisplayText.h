#pragma once

#include "platform/Afx.h"

#include <cstddef>

// Texts that the conversions, the derived values and the expression
// evaluators share: what a boolean is shown as, how a double is written,
// how octets are shown as characters.

inline const char* const kTrueText = "true";
inline const char* const kFalseText = "false";

inline const char* BooleanText(bool value)
{
    return value ? kTrueText : kFalseText;
}

// "%f", six decimals. A NaN is written without a sign, so that the text can
// go back into an expression without bringing a "-" operator along.
CString DoubleText(double value);

// The octets as characters up to the first zero octet, never beyond count.
CString CharactersOf(const unsigned char* octets, size_t count);
