#include "platform/AfxWindow.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/AfxKernel.h"
#include "platform/posix/AfxWindowInternal.h"

#define ERROR_CANNOT_FIND_WND_CLASS 1407u

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::set<std::string> names;
};

// Never destroyed: class names are handed out for the life of the process.
ClassRegistry& Classes()
{
    static ClassRegistry* classes = new ClassRegistry;
    return *classes;
}

bool IsRegisteredClass(LPCTSTR lpszClassName)
{
    if (lpszClassName == nullptr)
        return false;
    ClassRegistry& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.mutex);
    return classes.names.count(lpszClassName) != 0;
}

}  // namespace

// ---- window classes

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    char name[128];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor),
                  static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    ClassRegistry& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.mutex);
    return classes.names.insert(name).first->c_str();
}

// ---- CWnd on the stand-in message queues

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return afxdetail::WindowFromHandle(hWnd);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    (void)dwExStyle, (void)x, (void)y, (void)nWidth, (void)nHeight, (void)nIDorHMenu, (void)lpParam;
    if (m_hWnd != nullptr)
        return FALSE;
    if (!IsRegisteredClass(lpszClassName)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    if (hWndParent != nullptr && !::IsWindow(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    m_hWnd = afxdetail::RegisterWindow(this, hWndParent);
    if (m_hWnd == nullptr)
        return FALSE;
    m_strWindowText = lpszWindowName;
    m_dwStyle = dwStyle;
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    HWND hwnd = m_hWnd;
    if (hwnd == nullptr || m_bDestroying)
        return FALSE;
    if (!::IsWindow(hwnd)) {
        m_hWnd = nullptr;
        return FALSE;
    }
    // Children go first, as with Windows.
    m_bDestroying = true;
    for (CWnd* child : afxdetail::ChildWindows(hwnd))
        child->DestroyWindow();
    WindowProc(WM_DESTROY, 0, 0);
    afxdetail::UnregisterWindow(hwnd);
    m_hWnd = nullptr;
    m_bDestroying = false;
    WindowProc(WM_NCDESTROY, 0, 0);
    PostNcDestroy();
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!afxdetail::IsWindowOfCallingThread(m_hWnd))
        return 0;
    return WindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam, (void)lParam;
    if (message == WM_CLOSE)
        DestroyWindow();
    return 0;
}
