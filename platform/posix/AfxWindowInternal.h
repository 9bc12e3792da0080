#pragma once
// Window handles as seen by the message queues; used by CWnd only.

#include <vector>

#include "platform/AfxTypes.h"

class CWnd;

namespace afxdetail {

// Makes pWnd a window of the calling thread; null when the thread has no queue
// any more (it is shutting down).
HWND RegisterWindow(CWnd* pWnd, HWND hWndParent);
// The handle stops being a window: its timers go and its queued messages are dropped.
void UnregisterWindow(HWND hWnd);
CWnd* WindowFromHandle(HWND hWnd);
bool IsWindowOfCallingThread(HWND hWnd);
std::vector<CWnd*> ChildWindows(HWND hWndParent);

}  // namespace afxdetail
