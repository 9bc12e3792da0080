#pragma once
// What saving the boot counter file needs of the system.

#include <cstdio>
#include <string>

// Creates path, which must not exist yet, for writing, with the permissions
// of the open file modeOf (when given). Null on failure; *exists tells
// whether the name was taken.
FILE* CreateNewFile(const std::string& path, FILE* modeOf, bool* exists);
// Flushes the stream and the system's buffers to the disk.
bool FlushToDisk(FILE* file);
// Moves from over to, which may exist, in one step.
bool MoveOver(const std::string& from, const std::string& to);
unsigned long CurrentProcessId();
// Case-blind comparison of the first count bytes, as strncasecmp.
int CompareNoCase(const char* a, const char* b, size_t count);
