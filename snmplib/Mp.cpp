#include "snmplib/Mp.h"

#include "snmplib/NetSnmpEngine.h"
#include "snmplib/NetSnmpLibrary.h"
#include "snmplib/NetSnmpUsm.h"
#include "snmplib/OctetStr.h"
#include "snmplib/SnmpErrors.h"

int mpInit(Snmp*, const OctetStr& engineId, unsigned int engineBoots)
{
    return NetSnmpLibraryStartWithEngine(engineId.to_string(), engineBoots) ? SNMPv3_MP_OK : SNMPv3_MP_ERROR;
}

void mpFinish()
{
    NetSnmpCloseAllSessions();
    UsmTableClear();
    NetSnmpLibraryStop();
}
