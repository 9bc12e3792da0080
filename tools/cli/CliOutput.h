#pragma once

#include <cstdio>

// Flushes out, as a program does after each piece it prints; false when a
// write failed, then or before. The first failure's reason is kept for
// CloseOutput, which the error indicator alone would lose.
bool FlushOutput(FILE* out);

// Flushes and closes out. False when anything written to it was lost (a full
// disk, a closed pipe, an I/O error): the reason has then been printed on
// standard error after "program: ".
bool CloseOutput(FILE* out, const char* program);
