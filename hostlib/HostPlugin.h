#pragma once

#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"

#include <string>

struct CPluginOptions;

// The plug-in, loaded as a management host loads it.
class CHostPlugin {
public:
    CHostPlugin() = default;
    ~CHostPlugin();
    CHostPlugin(const CHostPlugin&) = delete;
    CHostPlugin& operator=(const CHostPlugin&) = delete;

    // False with the reason in *error.
    bool Load(const std::string& path, std::string* error);
    // Hands it the options' SNMP parameters for the retrievals to come.
    void SetParameters(const CPluginOptions& options) const;
    // Unloads it; waits for its outstanding requests, as its unload does.
    void Unload();
    bool Loaded() const { return module != nullptr; }

    KRW6180PlugSetSnmpParameterFunction setSnmpParameter = nullptr;
    KRW6180PlugGetClinetInforFunction getClientInfo = nullptr;

private:
    HMODULE module = nullptr;
};

// The folder of the running program, with a trailing "/".
std::string ProgramFolder();
// The plug-in beside the program in folder (so it is in the build tree), else
// its bare name, which the module loader finds where it is installed.
std::string DefaultPluginPath(const std::string& folder);
