#include "snmplib/Snmp.h"

#include "snmplib/netsnmp/NetSnmpEngine.h"

#include <utility>

Snmp::Snmp(int& status, unsigned short port, bool bind_ipv6)
{
    // Every agent gets a socket of its own on a port the system picks, so a
    // fixed local port cannot be honoured.
    status = port != 0 || bind_ipv6 ? SNMP_CLASS_TL_UNSUPPORTED : SNMP_CLASS_SUCCESS;
    CNetSnmpEngine::Instance().Attach(this);
}

Snmp::~Snmp()
{
    CNetSnmpEngine::Instance().Detach(this);
}

int Snmp::get(Pdu& pdu, const SnmpTarget& target)
{
    return CNetSnmpEngine::Instance().SendBlocking(this, pdu, target, SNMP_MSG_GET);
}

int Snmp::get_next(Pdu& pdu, const SnmpTarget& target)
{
    return CNetSnmpEngine::Instance().SendBlocking(this, pdu, target, SNMP_MSG_GETNEXT);
}

int Snmp::set(Pdu& pdu, const SnmpTarget& target)
{
    return CNetSnmpEngine::Instance().SendBlocking(this, pdu, target, SNMP_MSG_SET);
}

int Snmp::get(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return get(Pdu(pdu), target, callback, callback_data);
}

int Snmp::get(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return CNetSnmpEngine::Instance().SendAsync(this, std::move(pdu), target, SNMP_MSG_GET, callback, callback_data);
}

int Snmp::get_next(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return get_next(Pdu(pdu), target, callback, callback_data);
}

int Snmp::get_next(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return CNetSnmpEngine::Instance().SendAsync(this, std::move(pdu), target, SNMP_MSG_GETNEXT, callback,
                                                callback_data);
}

int Snmp::set(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return set(Pdu(pdu), target, callback, callback_data);
}

int Snmp::set(Pdu&& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return CNetSnmpEngine::Instance().SendAsync(this, std::move(pdu), target, SNMP_MSG_SET, callback, callback_data);
}

int SNMPProcessPendingEvents()
{
    CNetSnmpEngine::Instance().ProcessEvents();
    return SNMP_CLASS_SUCCESS;
}

int SNMPGetPendingEvents(std::vector<pollfd>& fds)
{
    return CNetSnmpEngine::Instance().PendingEvents(fds);
}

unsigned long SNMPPendingEventsGeneration()
{
    return CNetSnmpEngine::Instance().PendingEventsGeneration();
}
