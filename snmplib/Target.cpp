#include "snmplib/Target.h"

bool SnmpTarget::get_address(GenAddress& address) const
{
    address = GenAddress(agentAddress);
    return agentAddress.valid();
}

bool SnmpTarget::get_address(UdpAddress& address) const
{
    address = agentAddress;
    return agentAddress.valid();
}

bool SnmpTarget::set_address(const UdpAddress& address)
{
    if (!address.valid())
        return false;
    agentAddress = address;
    return true;
}

bool SnmpTarget::set_address(const IpAddress& address)
{
    // A UDP address handed over as its base keeps its port.
    if (const auto* udp = dynamic_cast<const UdpAddress*>(&address))
        return set_address(*udp);
    return set_address(UdpAddress(address));
}

bool SnmpTarget::set_address(const GenAddress& address)
{
    return address.valid() && set_address(address.get_udp_address());
}

CTarget::CTarget(const UdpAddress& address, const OctetStr& read, const OctetStr& write)
    : SnmpTarget(address), readCommunity(read), writeCommunity(write)
{
}

UTarget::UTarget(const UdpAddress& address, const OctetStr& name, int model)
    : SnmpTarget(address), securityName(name), securityModel(model)
{
    set_version(version3);
}
