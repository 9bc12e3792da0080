#pragma once
// Module states and application objects, shared by the application and the loader.

#include "platform/AfxApp.h"

namespace afxdetail {

AFX_MODULE_STATE* ProcessModuleState();
// The calling thread's current state (the process state unless switched).
AFX_MODULE_STATE* CurrentModuleState();
// Sets the thread's current state (null: the process state); returns the previous setting.
AFX_MODULE_STATE* SwapCurrentModuleState(AFX_MODULE_STATE* pState);

// Called by CWinApp's constructor and destructor.
void AttachApp(CWinApp* pApp);
void DetachApp(CWinApp* pApp);

// What the loader runs: InitInstance or ExitInstance under the module's own
// state. An exception leaving the application counts as a refusal; the
// loader must stay consistent.
BOOL CallInit(CWinApp* pApp, AFX_MODULE_STATE* pState);
void CallExit(CWinApp* pApp, AFX_MODULE_STATE* pState);

}  // namespace afxdetail
