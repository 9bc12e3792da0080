#include "platform/AfxWindow.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/AfxApp.h"
#include "platform/win32/AfxModuleSystem.h"

namespace {

struct ClassRegistry {
    std::mutex mutex;
    std::set<std::string> names;
    std::set<HWND> windows;  // of CWnd objects, alive
};

// Never destroyed: class names are handed out for the life of the module.
ClassRegistry& Classes()
{
    static ClassRegistry* classes = new ClassRegistry;
    return *classes;
}

bool RegisterClassNamed(const std::string& name, UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    WNDCLASSA wc{};
    if (GetClassInfoA(afxdetail::ModuleInstance(), name.c_str(), &wc)) {
        if (wc.lpfnWndProc == AfxWndProc)
            return true;
        // Left by an earlier module at this address, with its procedure.
        UnregisterClassA(name.c_str(), afxdetail::ModuleInstance());
        wc = WNDCLASSA{};
    }
    wc.style = nClassStyle;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = afxdetail::ModuleInstance();
    wc.hIcon = hIcon;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.lpszClassName = name.c_str();
    return RegisterClassA(&wc) != 0;
}

}  // namespace

namespace {

void NoteWindow(HWND hWnd, bool alive)
{
    ClassRegistry& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.mutex);
    if (alive)
        classes.windows.insert(hWnd);
    else
        classes.windows.erase(hWnd);
}

// An exception must not unwind through user32's frames, which cannot pass
// it on: it ends the message's handling, as the class library's own
// window procedure does.
LRESULT CallWindowProcOf(CWnd* wnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    try {
        return wnd->WindowProc(nMsg, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = nullptr;
    if (nMsg == WM_NCCREATE) {
        wnd = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
        wnd->m_hWnd = hWnd;
        NoteWindow(hWnd, true);
    } else {
        wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    }
    // Messages before WM_NCCREATE have no CWnd yet.
    if (wnd == nullptr)
        return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
    const LRESULT result = CallWindowProcOf(wnd, nMsg, wParam, lParam);
    if (nMsg == WM_NCDESTROY) {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        NoteWindow(hWnd, false);
        wnd->m_hWnd = nullptr;
        wnd->PostNcDestroy();
    }
    return result;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    char name[128];
    std::snprintf(name, sizeof name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(afxdetail::ModuleInstance()), nClassStyle,
                  static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    ClassRegistry& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.mutex);
    if (!RegisterClassNamed(name, nClassStyle, hCursor, hbrBackground, hIcon))
        return nullptr;
    return classes.names.insert(name).first->c_str();
}

namespace afxdetail {

void ReleaseWindowClasses()
{
    std::set<HWND> windows;
    {
        ClassRegistry& classes = Classes();
        std::lock_guard<std::mutex> lock(classes.mutex);
        windows = classes.windows;
    }
    // A window of another thread cannot be destroyed from here: it gets the
    // system's procedure instead of this module's, which is going.
    for (HWND hWnd : windows) {
        if (!::DestroyWindow(hWnd)) {
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcA));
            NoteWindow(hWnd, false);
        }
    }
    ClassRegistry& classes = Classes();
    std::lock_guard<std::mutex> lock(classes.mutex);
    for (const std::string& name : classes.names)
        UnregisterClassA(name.c_str(), ModuleInstance());
    classes.names.clear();
}

}  // namespace afxdetail

// ---- CWnd on user32's windows

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr || GetWindowLongPtrA(hWnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&AfxWndProc))
        return nullptr;
    return reinterpret_cast<CWnd*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

// Without a parent the window is message-only: it is never shown, receives
// no broadcast and needs no desktop.
BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID /*lpParam*/)
{
    if (m_hWnd != nullptr || lpszClassName == nullptr)
        return FALSE;
    m_strWindowText = lpszWindowName;
    m_dwStyle = dwStyle;
    HWND parent = hWndParent != nullptr ? hWndParent : HWND_MESSAGE;
    HWND hwnd = CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle & ~WS_VISIBLE, x, y, nWidth, nHeight,
                                parent, nIDorHMenu, afxdetail::ModuleInstance(), this);
    return hwnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    if (!::IsWindow(m_hWnd)) {
        m_hWnd = nullptr;
        return FALSE;
    }
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}
