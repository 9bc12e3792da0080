#pragma once
// USER32's thread message queues and timers. Every thread has its own queue; a
// window's messages and timer ticks go to the queue of the thread that created it.

#include "platform/AfxTypes.h"

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_NCDESTROY 0x0082
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

typedef void(CALLBACK* TIMERPROC)(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

// A timer posts at most one WM_TIMER at a time: the next interval starts when the
// tick is taken from the queue. With a window, the timer keeps nIDEvent (the value
// returned is nIDEvent, or 1 for identifier 0; KillTimer accepts either). Without a
// window it is a thread timer of the calling thread with a new identifier.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

BOOL IsWindow(HWND hWnd);

// A null window posts a thread message to the calling thread.
BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);

// Waits for a message of the calling thread. Returns 0 for WM_QUIT, -1 when hWnd is
// not a window of this thread, nonzero otherwise. Order: posted messages, then
// WM_QUIT, then ready wait handles, then due timers.
BOOL GetMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL PeekMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
BOOL TranslateMessage(const MSG* lpMsg);
// Delivers to the window procedure when the window exists and belongs to the
// calling thread; otherwise the message is dropped (returns 0).
LRESULT DispatchMessage(const MSG* lpMsg);

DWORD GetCurrentThreadId();

// Lets a file descriptor wake the calling thread's message wait: while poll()
// reports any of `events` on fd, GetMessage returns {hWnd, message, wParam = fd,
// lParam = revents}, at most one at a time per registration. hWnd must be a
// window of the calling thread, or null for a thread message. A registration
// belongs to its (fd, hWnd) pair: registering the pair again replaces it, and
// only that pair removes it, so that another owner's registration of the
// same descriptor number is never touched.
BOOL AfxAddWaitHandle(int fd, short events, HWND hWnd, UINT message);
BOOL AfxRemoveWaitHandle(int fd, HWND hWnd);
