#include "plugin/PluginState.h"

// Defined in the order the module builds them.
const CString ModelName("KRW-6180");
CString ReadCommunity;
CString WriteCommunity;
CPtrList PendingList(10);

int32_t StoredPort = 0;
uint32_t StoredTimeout = 0;
HostCallback StoredHostCallback = nullptr;
CSnmpRequest* SharedRequest = nullptr;

unsigned short StoredPortNumber()
{
    return static_cast<unsigned short>(static_cast<uint32_t>(StoredPort) & 0xFFFFu);
}

int RequestTimeout()
{
    return static_cast<int>(StoredTimeout >> 1);
}
