#pragma once
// Windows type names and constants used by code written against the Win32 API.

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "platform/win32/SystemHeaders.h"
#else
#include "platform/KRW6180Host.h"

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t ULONG;
typedef int INT;
typedef int64_t __int64;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef char CHAR;
typedef char TCHAR;
typedef const char* LPCTSTR;
typedef char* LPSTR;
typedef char* LPTSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef intptr_t INT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;

struct __POSITION {};
typedef __POSITION* POSITION;

struct HMENU__;
typedef HMENU__* HMENU;
struct HCURSOR__;
typedef HCURSOR__* HCURSOR;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HICON__;
typedef HICON__* HICON;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define _T(x) x
#define TEXT(x) x

#define WINAPI
#define CALLBACK
#define AFXAPI
#define AFX_CDECL
#define PASCAL

#define MAX_PATH 260
#define INFINITE 0xFFFFFFFFu

// Window styles and message-box constants.
#define WS_POPUP 0x80000000u
#define WS_VISIBLE 0x10000000u
#define WS_CHILD 0x40000000u

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ICONERROR 0x00000010u
#define MB_ICONSTOP MB_ICONERROR
#define MB_ICONWARNING 0x00000030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2

#define LOWORD(l) (static_cast<WORD>(static_cast<ULONG_PTR>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<ULONG_PTR>(l) >> 16) & 0xFFFF))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<ULONG_PTR>(w) & 0xFF))
#define HIBYTE(w) (static_cast<BYTE>((static_cast<ULONG_PTR>(w) >> 8) & 0xFF))
#define MAKEWORD(a, b) (static_cast<WORD>((static_cast<BYTE>(a)) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))
#define MAKELONG(a, b) (static_cast<LONG>((static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#endif
