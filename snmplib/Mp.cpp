#include "snmplib/Mp.h"

#include "snmplib/OctetStr.h"
#include "snmplib/SnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpEngine.h"

int mpInit(Snmp*, const OctetStr& engineId, unsigned int engineBoots)
{
    const bool started = CNetSnmpEngine::Instance().StartMessageProcessing(engineId.to_string(), engineBoots);
    return started ? SNMPv3_MP_OK : SNMPv3_MP_ERROR;
}

void mpFinish()
{
    CNetSnmpEngine::Instance().FinishMessageProcessing();
}
