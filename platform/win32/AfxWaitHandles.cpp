#include "platform/AfxMessages.h"

// Winsock posts the message to the window while the socket has a datagram
// to read (FD_READ is posted again after each receive, and at once when one
// is waiting as the socket is registered).
BOOL AfxAddWaitHandle(int fd, short /*events*/, HWND hWnd, UINT message)
{
    if (fd < 0 || hWnd == nullptr)
        return FALSE;
    return WSAAsyncSelect(static_cast<SOCKET>(fd), hWnd, message, FD_READ) == 0;
}

BOOL AfxRemoveWaitHandle(int fd, HWND hWnd)
{
    if (fd < 0 || hWnd == nullptr)
        return FALSE;
    return WSAAsyncSelect(static_cast<SOCKET>(fd), hWnd, 0, 0) == 0;
}
