#pragma once
// Loading modules as the Windows loader does for MFC regular DLLs: the module's
// application object gets InitInstance after the load and ExitInstance before
// the unload. Loads are counted per module.

// LoadLibraryA, GetProcAddress and FreeLibrary are declared, for C as well, in
// platform/KRW6180Host.h. LoadLibraryA gives NULL when the module cannot be
// opened (GetLastError: ERROR_MOD_NOT_FOUND) or when its InitInstance returns 0
// (ExitInstance has run, the module is closed again; GetLastError:
// ERROR_DLL_INIT_FAILED).

#include "platform/AfxTypes.h"

// Linux only: on Windows, windows.h declares LoadLibrary, and a host formats
// GetLastError's message itself.
#ifndef _WIN32
// The dynamic loader's reason why this thread's last LoadLibraryA that failed
// with ERROR_MOD_NOT_FOUND could not open its module, where Windows would
// format the last error's message.
const char* LastModuleOpenError();

inline HMODULE LoadLibrary(LPCSTR lpLibFileName)
{
    return LoadLibraryA(lpLibFileName);
}
#endif
