#include "platform/AfxApp.h"

#include <cstdlib>
#include <cstring>

#include "platform/AfxModuleInternal.h"

// ---- CWinThread

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

int CWinThread::Run()
{
    while (PumpMessage()) {}
    return ExitInstance();
}

BOOL CWinThread::PumpMessage()
{
    MSG msg;
    // -1 (no queue) ends the pump too: a caller looping on it would otherwise spin.
    const BOOL got = ::GetMessage(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
        return FALSE;
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    (void)pMsg;
    return FALSE;
}

// ---- CWinApp

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_pszAppName(lpszAppName != nullptr ? ::strdup(lpszAppName) : nullptr)
{
    afxdetail::AttachApp(this);
}

CWinApp::~CWinApp()
{
    afxdetail::DetachApp(this);
    std::free(const_cast<char*>(m_pszAppName));
}

// ---- current application and module state

CWinApp* AfxGetApp()
{
    return afxdetail::CurrentModuleState()->m_pCurrentWinApp;
}

CWinThread* AfxGetThread()
{
    return AfxGetApp();
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    return afxdetail::CurrentModuleState();
}

HINSTANCE AfxGetInstanceHandle()
{
    return afxdetail::CurrentModuleState()->m_hCurrentInstanceHandle;
}

LPCTSTR AfxGetAppName()
{
    const CWinApp* app = AfxGetApp();
    return app != nullptr ? app->m_pszAppName : nullptr;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState)
    : m_pPrevState(afxdetail::SwapCurrentModuleState(pNewState))
{
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
    afxdetail::SwapCurrentModuleState(m_pPrevState);
}

// ---- the thread's current module state

namespace {
thread_local AFX_MODULE_STATE* t_currentState = nullptr;
}

AFX_MODULE_STATE* afxdetail::CurrentModuleState()
{
    return t_currentState != nullptr ? t_currentState : ProcessModuleState();
}

AFX_MODULE_STATE* afxdetail::SwapCurrentModuleState(AFX_MODULE_STATE* pState)
{
    AFX_MODULE_STATE* previous = t_currentState;
    t_currentState = pState;
    return previous;
}

// ---- the loader's calls

BOOL afxdetail::CallInit(CWinApp* pApp, AFX_MODULE_STATE* pState)
{
    AFX_MAINTAIN_STATE2 guard(pState);
    try {
        return pApp->InitInstance();
    } catch (...) {
        return FALSE;
    }
}

void afxdetail::CallExit(CWinApp* pApp, AFX_MODULE_STATE* pState)
{
    AFX_MAINTAIN_STATE2 guard(pState);
    try {
        pApp->ExitInstance();
    } catch (...) {
    }
}
