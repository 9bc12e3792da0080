#pragma once
// The module (the DLL the platform layer is linked into) as the window
// classes need it.

#include "platform/AfxTypes.h"

namespace afxdetail {

// The DLL's instance handle, from its start-up on.
HINSTANCE ModuleInstance();
// The windows of CWnd objects and the classes of AfxRegisterWndClass go
// with the DLL, whose window procedure would be gone: the windows are
// destroyed, then the classes unregistered.
void ReleaseWindowClasses();

}  // namespace afxdetail
