#pragma once
// Command targets with message maps, and windows (hidden ones: nothing is drawn).

#include "platform/AfxMessages.h"
#include "platform/AfxObject.h"
#include "platform/AfxString.h"

#define afx_msg

class CCmdTarget;

typedef LRESULT (*AFX_PMSG_THUNK)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 with a null thunk ends the table
    AFX_PMSG_THUNK pfnThunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                                          \
protected:                                                                                                             \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                                                  \
    {                                                                                                                  \
        return GetThisMessageMap();                                                                                    \
    }                                                                                                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                                    \
    {                                                                                                                  \
        using ThisClass [[maybe_unused]] = theClass;                                                                   \
        using TheBaseClass = baseClass;                                                                                \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                                              \
    {                                                                                                                  \
        0, nullptr                                                                                                     \
    }                                                                                                                  \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};                      \
    return &messageMap;                                                                                                \
    }

// afx_msg void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                                                  \
    {WM_TIMER, [](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {                                                        \
         static_cast<ThisClass*>(t)->OnTimer(static_cast<UINT_PTR>(w));                                                \
         return 0;                                                                                                     \
     }},

// afx_msg void OnDestroy()
#define ON_WM_DESTROY()                                                                                                \
    {WM_DESTROY, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                                                        \
         static_cast<ThisClass*>(t)->OnDestroy();                                                                      \
         return 0;                                                                                                     \
     }},

// afx_msg void OnClose()
#define ON_WM_CLOSE()                                                                                                  \
    {WM_CLOSE, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {                                                          \
         static_cast<ThisClass*>(t)->OnClose();                                                                        \
         return 0;                                                                                                     \
     }},

// afx_msg LRESULT memberFxn(WPARAM, LPARAM), given as &Class::Member
#define ON_MESSAGE(message, memberFxn)                                                                                 \
    {static_cast<UINT>(message),                                                                                       \
     [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT { return (static_cast<ThisClass*>(t)->*(memberFxn))(w, l); }},

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;

    // Calls the handler of the message map (this class's, then its bases').
    // Returns FALSE when no entry handles the message.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    // The root of every message map (DECLARE_MESSAGE_MAP overrides it).
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// Returns the name of a registered window class; the text stays valid for the
// life of the process.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

#ifdef _WIN32
// The window procedure of every class from AfxRegisterWndClass: hands the
// messages of a CWnd's window to its WindowProc.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
#endif

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
#ifdef _WIN32
    friend LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
#endif
public:
    CWnd();
    ~CWnd() override;  // destroys the window if it still exists

    HWND m_hWnd;
    HWND GetSafeHwnd() const
    {
        return m_hWnd;
    }
    operator HWND() const
    {
        return m_hWnd;
    }
    static CWnd* FromHandlePermanent(HWND hWnd);
    static CWnd* FromHandle(HWND hWnd)
    {
        return FromHandlePermanent(hWnd);
    }

    // Creates a window owned by the calling thread. The class must come from
    // AfxRegisterWndClass; a parent, when given, must be a window. The window is
    // never shown whatever the style.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                          int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    // Sends WM_DESTROY and WM_NCDESTROY, then the handle is no longer a window:
    // its timers stop and messages still queued for it are dropped.
    virtual BOOL DestroyWindow();

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Only for a window of the calling thread; the message goes straight to WindowProc.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    void SetWindowText(LPCTSTR lpszString)
    {
        m_strWindowText = lpszString;
    }
    void GetWindowText(CString& rString) const
    {
        rString = m_strWindowText;
    }
    DWORD GetStyle() const
    {
        return m_dwStyle;
    }

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; the CWnd object itself is left alone.
    virtual void PostNcDestroy();

    afx_msg virtual void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy() {}
    afx_msg void OnClose()
    {
        DestroyWindow();
    }

    DECLARE_MESSAGE_MAP()

private:
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    CString m_strWindowText;
    DWORD m_dwStyle = 0;
    bool m_bDestroying = false;  // WM_DESTROY handlers may call DestroyWindow again
};
