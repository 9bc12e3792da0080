#pragma once
// KERNEL32 functions.

#include "platform/AfxTypes.h"

// Declared by windows.h on Windows.
#ifndef _WIN32
#define ERROR_SUCCESS 0u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_MOD_NOT_FOUND 126u
#define ERROR_PROC_NOT_FOUND 127u
#define ERROR_DLL_INIT_FAILED 1114u
#define ERROR_INVALID_WINDOW_HANDLE 1400u

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// TMPDIR, or else the user's own folder /tmp/krw-UID (made with mode 0700),
// with a trailing "/". Returns the length without the NUL; when nBufferLength
// is too small, returns the size needed (NUL included) and leaves the buffer
// untouched; 0 when there is no folder of the user's own to be had.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);
inline DWORD GetTempPath(DWORD nBufferLength, LPSTR lpBuffer)
{
    return GetTempPathA(nBufferLength, lpBuffer);
}

// Milliseconds of a monotonic clock; wraps around like Windows' tick count.
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);
#endif
