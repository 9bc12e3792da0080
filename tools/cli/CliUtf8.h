#pragma once

#include <string>

// An agent's text as Unicode for formats that must be UTF-8 (JSON, the
// Prometheus exposition format). Text that is UTF-8 stays as it is; other
// text is taken as Latin-1, octet by octet, so that every octet that arrived
// can be read back (a replacement character would lose it).
std::string AsUtf8(const std::string& text);

// Whether text is UTF-8 as RFC 3629 has it: no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& text);

// The length of the UTF-8 sequence that starts at text[at], by the same
// rules; 0 when none does.
size_t Utf8SequenceLength(const std::string& text, size_t at);
