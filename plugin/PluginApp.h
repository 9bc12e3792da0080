#pragma once

#include "platform/Afx.h"

// The module's application object: starts the framework's session when the
// host loads the module and stops it when the host unloads it, and owns the
// shared request object in between.
class CPluginApp : public CWinApp {
public:
    CPluginApp();

    // Refuses the load (0) after showing why when the session cannot start.
    BOOL InitInstance() override;
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()
};
