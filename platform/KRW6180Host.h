/*
 * What a management host needs of the platform library (libkrw6180platform)
 * to load the plug-in and receive its reports on Linux, under the names and
 * with the meanings of the Windows API it stands in for: load and unload a
 * module, find an export, and run the thread's message loop. A host written
 * against <windows.h> builds against this header unchanged. C and C++.
 *
 * Load the plug-in with LoadLibraryA: it starts the module's session, as the
 * Windows loader does for the module. A module mapped with plain dlopen is
 * not started: each retrieval it is asked for fails at once, reported to the
 * callback before the export returns.
 */
#ifndef KRW6180HOST_H
#define KRW6180HOST_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int BOOL;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef const char* LPCSTR;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
/* Any function: cast it to the export's own type (KRW6180Plug.h). */
typedef void (*FARPROC)(void);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

#define WM_QUIT 0x0012
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

typedef void (*TIMERPROC)(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

/* Opens the module and starts it (its application's InitInstance). A name
 * without "/" is searched as dlopen searches, then in the platform library's
 * folder, where the plug-in is installed. NULL when the module cannot be
 * opened or refuses to start. */
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
/* The last FreeLibrary of a module stops it (ExitInstance), then closes it. */
BOOL FreeLibrary(HMODULE hLibModule);

/* A timer posts at most one WM_TIMER at a time: the next interval starts when
 * the tick is taken from the queue. With a window, the timer keeps nIDEvent
 * (the value returned is nIDEvent, or 1 for identifier 0; KillTimer accepts
 * either). Without a window it is a thread timer of the calling thread with
 * a new identifier. */
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
/* Waits for a message of the calling thread. Returns 0 for WM_QUIT, -1 when
 * hWnd is not a window of this thread, nonzero otherwise. Order: posted
 * messages, then WM_QUIT, then ready wait handles, then due timers. */
BOOL GetMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL PeekMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
/* Delivers to the window procedure when the window exists and belongs to the
 * calling thread; otherwise the message is dropped (returns 0). */
LRESULT DispatchMessage(const MSG* lpMsg);
DWORD GetCurrentThreadId(void);

#ifdef __cplusplus
}
#endif

#endif
