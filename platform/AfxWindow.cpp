#include "platform/AfxWindow.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/AfxKernel.h"
#include "platform/AfxWindowInternal.h"

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

// ---- CCmdTarget

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnThunk != nullptr; ++entry) {
            if (entry->nMessage != message)
                continue;
            const LRESULT result = entry->pfnThunk(this, wParam, lParam);
            if (pResult != nullptr)
                *pResult = result;
            return TRUE;
        }
    }
    return FALSE;
}

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

// ---- CWnd

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() : m_hWnd(nullptr) {}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

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

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return ::KillTimer(m_hWnd, nIDEvent);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A null handle would post a thread message, which is not what a window asks for.
    if (m_hWnd == nullptr)
        return FALSE;
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!afxdetail::IsWindowOfCallingThread(m_hWnd))
        return 0;
    return WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam, (void)lParam;
    if (message == WM_CLOSE)
        DestroyWindow();
    return 0;
}

void CWnd::PostNcDestroy() {}

void CWnd::OnTimer(UINT_PTR nIDEvent)
{
    DefWindowProc(WM_TIMER, nIDEvent, 0);
}
