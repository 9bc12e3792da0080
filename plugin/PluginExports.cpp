// The two functions the management host calls. Both run on the thread that
// loaded the module, under the module's own MFC state.

#include "common/QvException.h"
#include "plugin/ClientRetrieval.h"
#include "plugin/KRW6180Plug.h"
#include "plugin/PluginState.h"

extern "C" int32_t KRW6180PLUG_API KRW6180PlugSetSnmpParameter(uint32_t, const char* readCommunity,
                                                               const char* writeCommunity, int32_t port,
                                                               int32_t timeout)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    ReadCommunity = readCommunity;
    WriteCommunity = writeCommunity;
    StoredPort = port;
    StoredTimeout = static_cast<uint32_t>(timeout);
    return 0;
}

extern "C" void KRW6180PLUG_API KRW6180PlugGetClinetInfor(const char* address, HostCallback callback, uint32_t,
                                                          uint32_t context)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    const CString requested(address);
    StoredHostCallback = callback;
    try {
        StartClientRetrieval(requested, context);
    } catch (CQVException* e) {
        ReportToHost(1, e->GetText(), requested, 0, nullptr, context);
        e->Delete();
    }
}
