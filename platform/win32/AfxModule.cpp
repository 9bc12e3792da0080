#include <cstring>
#include <string>

#include "platform/AfxCrt.h"
#include "platform/AfxModuleInternal.h"
#include "platform/win32/AfxModuleSystem.h"

namespace {

// The platform layer lives in one DLL: the module has one state, and the
// process no other that this code could see.
struct Module {
    AFX_MODULE_STATE state;
    bool started = false;  // InitInstance succeeded; ExitInstance is due
};

// Never destroyed: the application object's destructor reaches it after
// the other static objects may have gone.
Module& TheModule()
{
    static Module* module = new Module;
    return *module;
}

// The module's file name without folder and extension.
char* FileTitle(HINSTANCE instance)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    std::string title(path, length < sizeof path ? length : 0);
    const size_t separator = title.find_last_of("\\/");
    if (separator != std::string::npos)
        title.erase(0, separator + 1);
    const size_t dot = title.find('.');
    if (dot != std::string::npos && dot != 0)
        title.erase(dot);
    return _strdup(title.c_str());
}

// What the class library's start-up of a regular DLL does: the application
// object's InitInstance, whose refusal fails the load (ExitInstance runs
// first, as on a refused load of the Linux loader).
BOOL StartModule(HINSTANCE instance)
{
    Module& module = TheModule();
    module.state.m_hCurrentInstanceHandle = instance;
    CWinApp* app = module.state.m_pCurrentWinApp;
    if (app == nullptr)
        return TRUE;
    app->m_hInstance = instance;
    if (app->m_pszAppName == nullptr)
        app->m_pszAppName = FileTitle(instance);
    module.state.m_lpszCurrentAppName = app->m_pszAppName;
    if (!afxdetail::CallInit(app, &module.state)) {
        afxdetail::CallExit(app, &module.state);
        afxdetail::ReleaseWindowClasses();
        return FALSE;
    }
    module.started = true;
    return TRUE;
}

void StopModule()
{
    Module& module = TheModule();
    if (!module.started)
        return;
    module.started = false;
    if (CWinApp* app = module.state.m_pCurrentWinApp)
        afxdetail::CallExit(app, &module.state);
    afxdetail::ReleaseWindowClasses();
}

}  // namespace

// Runs under the loader lock: InitInstance must not start Winsock, create a
// thread or wait for one (the SNMP library starts its sockets with the
// first request instead).
extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        return StartModule(hInstance);
    case DLL_PROCESS_DETACH:
        // At the end of the process (lpReserved set) other threads are gone
        // and so may be the DLLs this one uses: nothing is shut down then.
        if (lpReserved == nullptr)
            StopModule();
        return TRUE;
    default:
        return TRUE;
    }
}

namespace afxdetail {

HINSTANCE ModuleInstance()
{
    return TheModule().state.m_hCurrentInstanceHandle;
}

AFX_MODULE_STATE* ProcessModuleState()
{
    return &TheModule().state;
}

AFX_MODULE_STATE* ModuleStateForAddress(const void* /*address*/)
{
    return ProcessModuleState();
}

void AttachApp(CWinApp* pApp)
{
    AFX_MODULE_STATE& state = TheModule().state;
    state.m_pCurrentWinApp = pApp;
    state.m_lpszCurrentAppName = pApp->m_pszAppName;
}

void DetachApp(CWinApp* pApp)
{
    AFX_MODULE_STATE& state = TheModule().state;
    if (state.m_pCurrentWinApp != pApp)
        return;
    state.m_pCurrentWinApp = nullptr;
    state.m_lpszCurrentAppName = nullptr;
}

}  // namespace afxdetail
