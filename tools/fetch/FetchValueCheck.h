#pragma once

#include <string>

// Whether a set can send text as a value of syntax: the framework's
// conversions turn any text into some value (an integer "abc" into 0), so
// what they would not read back is refused before anything is sent. Empty
// when it can, else what the syntax takes.
std::string CheckSetValue(int syntax, const std::string& text);
