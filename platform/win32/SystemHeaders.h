#pragma once
// On Windows the stand-ins give way to the system's own declarations. Winsock
// 2 comes first: windows.h would otherwise bring the first Winsock's.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#define _T(x) x

struct __POSITION {};
typedef __POSITION* POSITION;

#define AFXAPI __stdcall
#define AFX_CDECL __cdecl
