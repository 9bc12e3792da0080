#pragma once
// The module (the DLL the platform layer is linked into) as the window
// classes need it.

#include "platform/AfxTypes.h"

namespace afxdetail {

// The DLL's instance handle, from its start-up on.
HINSTANCE ModuleInstance();
// Every class of AfxRegisterWndClass goes with the DLL: its window
// procedure would be gone.
void UnregisterWindowClasses();

}  // namespace afxdetail
