#include "hostlib/HostPlugin.h"

#include "hostlib/HostPluginOptions.h"

#include <unistd.h>

#include <climits>

namespace {

const char kPluginName[] = "libkrw6180plug.so";

}  // namespace

CHostPlugin::~CHostPlugin()
{
    Unload();
}

bool CHostPlugin::Load(const std::string& path, std::string* error)
{
    module = ::LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = ::GetLastError() == ERROR_DLL_INIT_FAILED
                     ? "the plug-in refused to start: " + path
                     : "cannot load the plug-in " + path + ": " + ::LastModuleOpenError();
        return false;
    }
    setSnmpParameter =
        reinterpret_cast<KRW6180PlugSetSnmpParameterFunction>(::GetProcAddress(module, "KRW6180PlugSetSnmpParameter"));
    getClientInfo =
        reinterpret_cast<KRW6180PlugGetClinetInforFunction>(::GetProcAddress(module, "KRW6180PlugGetClinetInfor"));
    if (setSnmpParameter == nullptr || getClientInfo == nullptr) {
        *error = path + " is not a KRW-6180 client-information plug-in";
        Unload();
        return false;
    }
    return true;
}

void CHostPlugin::SetParameters(const CPluginOptions& options) const
{
    setSnmpParameter(0, options.readCommunity.c_str(), options.writeCommunity.c_str(), options.port, options.timeout);
}

void CHostPlugin::Unload()
{
    if (module != nullptr)
        ::FreeLibrary(module);
    module = nullptr;
    setSnmpParameter = nullptr;
    getClientInfo = nullptr;
}

std::string DefaultPluginPath(const std::string& folder)
{
    const std::string beside = folder + kPluginName;
    return ::access(beside.c_str(), F_OK) == 0 ? beside : std::string(kPluginName);
}

std::string ProgramFolder()
{
    char path[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string program = length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string("./") : program.substr(0, slash + 1);
}
