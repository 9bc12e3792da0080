// A module with an application object, loaded by the module-loading tests. It
// appends what happens to it to the environment variable KRW_TEST_MODULE_EVENTS,
// which outlives the module.

#include <cstdlib>
#include <string>

#include "platform/Afx.h"

namespace {

void Record(const char* event)
{
    const char* previous = std::getenv("KRW_TEST_MODULE_EVENTS");
    std::string events = previous != nullptr ? previous : "";
    events += KRW_MODULE_TAG ":";
    events += event;
    events += ";";
    ::setenv("KRW_TEST_MODULE_EVENTS", events.c_str(), 1);
}

class CTestModuleApp : public CWinApp {
public:
    CTestModuleApp() : CWinApp(KRW_MODULE_NAMED ? "KrwTestOk" : nullptr) { Record("construct"); }
    ~CTestModuleApp() override { Record("destruct"); }

    BOOL InitInstance() override
    {
        // The name shows whether the loader named an unnamed application after its file.
        const std::string event = std::string(AfxGetApp() == this ? "init(" : "init-without-own-state(") +
                                  (m_pszAppName != nullptr ? m_pszAppName : "") + ")";
        Record(event.c_str());
        return KRW_MODULE_REFUSE ? FALSE : CWinApp::InitInstance();
    }

    int ExitInstance() override
    {
        Record(AfxGetApp() == this ? "exit" : "exit-without-own-state");
        return CWinApp::ExitInstance();
    }
};

CTestModuleApp theApp;

const char* AppName()
{
    const CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pszAppName != nullptr ? app->m_pszAppName : "(none)";
}

}  // namespace

extern "C" const char* KrwTestModuleManagedAppName()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AppName();
}

extern "C" const char* KrwTestModuleUnmanagedAppName()
{
    return AppName();
}
