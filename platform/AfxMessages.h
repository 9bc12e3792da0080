#pragma once
// USER32's thread message queues and timers. Every thread has its own queue; a
// window's messages and timer ticks go to the queue of the thread that created it.

// The messages, the timers and the loop a host uses are declared, for C as
// well, in platform/KRW6180Host.h.

#include "platform/AfxTypes.h"

// Declared by windows.h on Windows.
#ifndef _WIN32
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_NCDESTROY 0x0082

#define USER_TIMER_MINIMUM 0x0000000Au
#define USER_TIMER_MAXIMUM 0x7FFFFFFFu

BOOL IsWindow(HWND hWnd);

// A null window posts a thread message to the calling thread.
BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
#endif

// Lets a file descriptor wake the calling thread's message wait: while poll()
// reports any of `events` on fd, GetMessage returns {hWnd, message, wParam = fd,
// lParam = revents}, at most one at a time per registration. hWnd must be a
// window of the calling thread, or null for a thread message. A registration
// belongs to its (fd, hWnd) pair: registering the pair again replaces it, and
// only that pair removes it, so that another owner's registration of the
// same descriptor number is never touched. On Windows fd is a socket and
// hWnd a window: Winsock posts the message (WSAAsyncSelect) while the
// socket has a datagram to read, with wParam the socket and lParam its event.
BOOL AfxAddWaitHandle(int fd, short events, HWND hWnd, UINT message);
BOOL AfxRemoveWaitHandle(int fd, HWND hWnd);
