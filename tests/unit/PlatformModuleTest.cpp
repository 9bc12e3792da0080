#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Afx.h"

namespace {

typedef const char* (*AppNameFunction)();

// The test modules log to this variable, which outlives them.
std::string TakeModuleEvents()
{
    const char* events = std::getenv("KRW_TEST_MODULE_EVENTS");
    std::string taken = events != nullptr ? events : "";
    ::unsetenv("KRW_TEST_MODULE_EVENTS");
    return taken;
}

AppNameFunction Export(HMODULE module, const char* name)
{
    return reinterpret_cast<AppNameFunction>(GetProcAddress(module, name));
}

// The refusing module has no name of its own: it gets its file title.
TEST(PlatformModule, RefusedInitInstanceRunsExitInstanceAndFailsTheLoad)
{
    TakeModuleEvents();
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA(KRW_TEST_MODULE_REFUSE), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
    EXPECT_EQ(TakeModuleEvents(), "refuse:construct;refuse:init(libkrwtestmodule_refuse);refuse:exit;refuse:destruct;");
}

TEST(PlatformModule, LoadedModuleHasItsOwnAppUntilTheLastFreeLibrary)
{
    CWinApp processApp("ProcessApp");
    TakeModuleEvents();
    const HMODULE module = LoadLibraryA(KRW_TEST_MODULE_OK);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(TakeModuleEvents(), "ok:construct;ok:init(KrwTestOk);");
    EXPECT_EQ(AfxGetApp(), &processApp);

    const AppNameFunction managed = Export(module, "KrwTestModuleManagedAppName");
    const AppNameFunction unmanaged = Export(module, "KrwTestModuleUnmanagedAppName");
    ASSERT_NE(managed, nullptr);
    ASSERT_NE(unmanaged, nullptr);
    EXPECT_STREQ(managed(), "KrwTestOk");
    EXPECT_STREQ(unmanaged(), "ProcessApp");  // without the guard the caller's state applies
    EXPECT_EQ(AfxGetApp(), &processApp);      // the guard is gone when the call returns

    // A second load only counts: no second InitInstance, and ExitInstance waits for the last free.
    EXPECT_EQ(LoadLibraryA(KRW_TEST_MODULE_OK), module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(TakeModuleEvents(), "");
    EXPECT_STREQ(managed(), "KrwTestOk");

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(TakeModuleEvents(), "ok:exit;ok:destruct;");
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetProcAddress(module, "KrwTestModuleManagedAppName"), nullptr);
}

TEST(PlatformModule, MissingModulesAndSymbolsFail)
{
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LoadLibraryA("/nonexistent/libnothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "x"), nullptr);

    const HMODULE module = LoadLibraryA(KRW_TEST_MODULE_OK);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    TakeModuleEvents();
}

TEST(PlatformModule, StateGuardSwitchesTheAppAndRestoresIt)
{
    CWinApp processApp("ProcessApp");
    CWinApp other("Other");  // constructed later, so it is the process application now
    EXPECT_EQ(AfxGetApp(), &other);
    AFX_MODULE_STATE state;
    state.m_pCurrentWinApp = &processApp;
    {
        AFX_MANAGE_STATE(&state);
        EXPECT_EQ(AfxGetApp(), &processApp);
        EXPECT_EQ(AfxGetThread(), &processApp);
        EXPECT_STREQ(AfxGetAppName(), "ProcessApp");
        {
            AFX_MANAGE_STATE(AfxGetStaticModuleState());  // this program's own state
            EXPECT_EQ(AfxGetApp(), &other);
        }
        EXPECT_EQ(AfxGetApp(), &processApp);
    }
    EXPECT_EQ(AfxGetApp(), &other);
}

}  // namespace
