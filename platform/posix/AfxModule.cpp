#include "platform/AfxModule.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AfxKernel.h"
#include "platform/AfxModuleInternal.h"

namespace {

struct ModuleRecord {
    int loadCount = 1;
    const void* base = nullptr;  // load address, as dladdr reports it
    AFX_MODULE_STATE state;
};

// Application objects constructed while one LoadLibraryA call opens its module.
struct LoadContext {
    std::vector<CWinApp*> apps;
};

struct Modules {
    std::recursive_mutex loaderLock;  // held across InitInstance/ExitInstance, like the Windows loader lock
    std::mutex mutex;                 // guards the fields below
    std::map<void*, ModuleRecord> records;
    AFX_MODULE_STATE processState;
};

// Never destroyed: module states are looked up from static destructors too.
Modules& TheModules()
{
    static Modules* modules = new Modules;
    return *modules;
}

thread_local LoadContext* t_loading = nullptr;
// Why this thread's last LoadLibraryA could not open its module.
thread_local std::string t_openError;

std::string LastDlError()
{
    const char* text = ::dlerror();
    return text != nullptr ? text : "";
}

const void* BaseOfAddress(const void* address)
{
    Dl_info info;
    if (address == nullptr || ::dladdr(address, &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

const void* BaseOfHandle(void* handle)
{
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return nullptr;
    return BaseOfAddress(map->l_ld);
}

// Of the applications constructed during the load, the one inside the module itself.
CWinApp* PickApp(const LoadContext& context, const void* base)
{
    for (CWinApp* app : context.apps) {
        if (base != nullptr && BaseOfAddress(app) == base)
            return app;
    }
    return context.apps.empty() ? nullptr : context.apps.front();
}

char* FileTitle(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    std::string title = slash != nullptr ? slash + 1 : path;
    const size_t dot = title.find('.');
    if (dot != std::string::npos && dot != 0)
        title.erase(dot);
    return ::strdup(title.c_str());
}

// A name without "/" is searched as dlopen searches, then in the folder of
// this library, where the plug-in is installed. The second search is not
// left to this library's run path: dlopen takes the run path of its caller,
// and a caller that wraps dlopen (a sanitizer's run-time) has another. The
// loader's reason for a failure is kept: the second search's when the module
// is there, else the first's.
void* OpenModule(const char* name)
{
    void* handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        t_openError = LastDlError();
    if (handle != nullptr || std::strchr(name, '/') != nullptr)
        return handle;
    Dl_info self;
    if (::dladdr(reinterpret_cast<const void*>(&OpenModule), &self) == 0 || self.dli_fname == nullptr)
        return nullptr;
    const std::string library = self.dli_fname;
    const size_t slash = library.rfind('/');
    if (slash == std::string::npos)
        return nullptr;
    const std::string beside = library.substr(0, slash + 1) + name;
    handle = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr && ::access(beside.c_str(), F_OK) == 0)
        t_openError = LastDlError();
    return handle;
}

ModuleRecord* FindRecord(Modules& modules, void* handle)
{
    const auto it = modules.records.find(handle);
    return it != modules.records.end() ? &it->second : nullptr;
}

void EraseRecord(Modules& modules, void* handle)
{
    std::lock_guard<std::mutex> lock(modules.mutex);
    modules.records.erase(handle);
}

}  // namespace

namespace afxdetail {

AFX_MODULE_STATE* ProcessModuleState()
{
    return &TheModules().processState;
}

AFX_MODULE_STATE* ModuleStateForAddress(const void* address)
{
    const void* base = BaseOfAddress(address);
    Modules& modules = TheModules();
    std::lock_guard<std::mutex> lock(modules.mutex);
    for (auto& entry : modules.records) {
        if (base != nullptr && entry.second.base == base)
            return &entry.second.state;
    }
    return &modules.processState;
}

void AttachApp(CWinApp* pApp)
{
    if (t_loading != nullptr) {
        t_loading->apps.push_back(pApp);
        return;
    }
    Modules& modules = TheModules();
    std::lock_guard<std::mutex> lock(modules.mutex);
    modules.processState.m_pCurrentWinApp = pApp;
    modules.processState.m_lpszCurrentAppName = pApp->m_pszAppName;
}

void DetachApp(CWinApp* pApp)
{
    if (t_loading != nullptr) {
        auto& apps = t_loading->apps;
        for (auto it = apps.begin(); it != apps.end();)
            it = *it == pApp ? apps.erase(it) : std::next(it);
    }
    Modules& modules = TheModules();
    std::lock_guard<std::mutex> lock(modules.mutex);
    auto detach = [pApp](AFX_MODULE_STATE& state) {
        if (state.m_pCurrentWinApp != pApp)
            return;
        state.m_pCurrentWinApp = nullptr;
        state.m_lpszCurrentAppName = nullptr;
    };
    detach(modules.processState);
    for (auto& entry : modules.records)
        detach(entry.second.state);
}

}  // namespace afxdetail

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        t_openError = "no module named";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    Modules& modules = TheModules();
    std::lock_guard<std::recursive_mutex> loader(modules.loaderLock);

    LoadContext context;
    LoadContext* outer = t_loading;
    t_loading = &context;
    void* handle = OpenModule(lpLibFileName);
    t_loading = outer;
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    HMODULE hModule = reinterpret_cast<HMODULE>(handle);

    ModuleRecord* record = nullptr;
    {
        std::lock_guard<std::mutex> lock(modules.mutex);
        if (ModuleRecord* loaded = FindRecord(modules, handle)) {
            ++loaded->loadCount;
            // One reference of the dynamic loader per record is enough.
            ::dlclose(handle);
            return hModule;
        }
        record = &modules.records[handle];
        record->base = BaseOfHandle(handle);
        CWinApp* app = PickApp(context, record->base);
        record->state.m_pCurrentWinApp = app;
        record->state.m_hCurrentInstanceHandle = hModule;
        if (app != nullptr) {
            app->m_hInstance = hModule;
            if (app->m_pszAppName == nullptr)
                app->m_pszAppName = FileTitle(lpLibFileName);
            record->state.m_lpszCurrentAppName = app->m_pszAppName;
        }
    }

    CWinApp* app = record->state.m_pCurrentWinApp;
    if (app != nullptr && !afxdetail::CallInit(app, &record->state)) {
        afxdetail::CallExit(app, &record->state);
        EraseRecord(modules, handle);
        ::dlclose(handle);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return hModule;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    void* handle = reinterpret_cast<void*>(hModule);
    {
        Modules& modules = TheModules();
        std::lock_guard<std::mutex> lock(modules.mutex);
        if (lpProcName == nullptr || FindRecord(modules, handle) == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    void* symbol = ::dlsym(handle, lpProcName);
    if (symbol == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(symbol);
}

const char* LastModuleOpenError()
{
    return t_openError.c_str();
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    void* handle = reinterpret_cast<void*>(hLibModule);
    Modules& modules = TheModules();
    std::lock_guard<std::recursive_mutex> loader(modules.loaderLock);
    ModuleRecord* record = nullptr;
    {
        std::lock_guard<std::mutex> lock(modules.mutex);
        record = FindRecord(modules, handle);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--record->loadCount > 0)
            return TRUE;
    }
    if (CWinApp* app = record->state.m_pCurrentWinApp)
        afxdetail::CallExit(app, &record->state);
    EraseRecord(modules, handle);
    ::dlclose(handle);
    return TRUE;
}
