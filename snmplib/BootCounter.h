#pragma once

#include "snmplib/OctetStr.h"

// The engine-boots counter file: one line per engine id, the id in hexadecimal,
// one blank and the counter in decimal ("5176...6E 7"). Lines that begin with "#"
// and lines of other engines are kept as they are when the file is saved.

#define BOOTCOUNTER_OK 0
// The file has no line for the engine id (counter set to 0).
#define BOOTCOUNTER_NO_ENTRY -1
// The file cannot be opened for reading (counter set to 0).
#define BOOTCOUNTER_FILE_OPEN_ERROR -2
// The line for the engine id has no valid decimal counter (counter set to 0).
#define BOOTCOUNTER_BAD_ENTRY -3
// saveBootCounter: the existing file cannot be read; it is left as it was.
#define BOOTCOUNTER_FILE_READ_ERROR -4
// saveBootCounter: the new file cannot be created in the file's folder.
#define BOOTCOUNTER_FILE_CREATE_ERROR -5
// saveBootCounter: writing the new file failed; the old file is left as it was.
#define BOOTCOUNTER_FILE_WRITE_ERROR -6
// saveBootCounter: the new file could not replace the old one.
#define BOOTCOUNTER_FILE_RENAME_ERROR -7

// Reads the counter of engineId from file. Returns BOOTCOUNTER_OK with the counter,
// or one of the negative results above with counter 0. The first line for the
// engine id decides; hexadecimal digits match in either letter case.
int getBootCounter(const OctetStr& file, const OctetStr& engineId, unsigned int& counter);

// Writes counter for engineId: the engine's line is replaced (or added at the end,
// further lines of the same id are dropped), every other line is copied unchanged.
// The file is replaced atomically through a temporary file in the same folder.
// Returns BOOTCOUNTER_OK or one of the negative save results above.
int saveBootCounter(const OctetStr& file, const OctetStr& engineId, unsigned int counter);
