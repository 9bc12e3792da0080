#pragma once

#include <string>

// Texts that came from an agent, made safe for a terminal and for
// tab-separated lines: a backslash is shown as "\\", a tab, a line feed and a
// carriage return as "\t", "\n" and "\r", and every other control character
// (C0, DEL and C1) and every octet that is not part of a UTF-8 character as
// "\xHH". Everything else is kept, so the text reads back unambiguously.
std::string EscapeControls(const std::string& text);

// The convention above in one sentence without its capital, for --help.
extern const char kEscapeHelp[];
