#pragma once
// Threads, the application object and MFC's module states.

#include "platform/AfxMessages.h"
#include "platform/AfxWindow.h"

class CWinApp;

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread() = default;
    ~CWinThread() override = default;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // Pumps messages until WM_QUIT, then returns ExitInstance().
    virtual int Run();
    // One GetMessage, TranslateMessage and DispatchMessage on the calling thread.
    // FALSE on WM_QUIT (or when the queue cannot be read).
    virtual BOOL PumpMessage();
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    CWnd* m_pMainWnd = nullptr;
};

// What AfxGetApp() sees: the process has one state, every module loaded with
// LoadLibraryA has its own.
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp = nullptr;
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    LPCTSTR m_lpszCurrentAppName = nullptr;
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Becomes the application of the module being loaded by LoadLibraryA on this
    // thread, or of the process when no load is in progress. A null name is
    // replaced by the module's file name without extension when it is loaded.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override { return 0; }

    LPCTSTR m_pszAppName;  // owned copy, or null
    HINSTANCE m_hInstance = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
};

// The application of the current module state (see AFX_MANAGE_STATE), or null.
CWinApp* AfxGetApp();
CWinThread* AfxGetThread();
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetInstanceHandle();
LPCTSTR AfxGetAppName();

namespace afxdetail {
// The state of the loaded module that contains `address`, else the process state.
AFX_MODULE_STATE* ModuleStateForAddress(const void* address);
}  // namespace afxdetail

// The state of the module this call is compiled into: internal linkage gives
// every module its own copy, whose address tells the module apart.
static inline AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    return afxdetail::ModuleStateForAddress(reinterpret_cast<const void*>(&AfxGetStaticModuleState));
}

// Makes pNewState the current module state of this thread until destroyed.
class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevState;
};
typedef AFX_MAINTAIN_STATE2 AFX_MAINTAIN_STATE;

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

// Writes the text and a newline to standard error and returns IDOK. On
// Windows the text goes to standard error when the process has one (a
// console host, or Wine), and the message box is shown.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
