#pragma once
// Loading modules as the Windows loader does for MFC regular DLLs: the module's
// application object gets InitInstance after the load and ExitInstance before
// the unload. Loads are counted per module.

#include "platform/AfxTypes.h"

// NULL when the module cannot be opened (GetLastError: ERROR_MOD_NOT_FOUND) or when
// its InitInstance returns 0 (ExitInstance has run, the module is closed again;
// GetLastError: ERROR_DLL_INIT_FAILED).
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
inline HMODULE LoadLibrary(LPCSTR lpLibFileName)
{
    return LoadLibraryA(lpLibFileName);
}
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// The last FreeLibrary of a module runs ExitInstance, then closes the module.
BOOL FreeLibrary(HMODULE hLibModule);
