#pragma once

#include "snmplib/Address.h"
#include "snmplib/OctetStr.h"
#include "snmplib/SmiSyntax.h"

// Where and how a request is sent: the agent's UDP address, the time-out in
// hundredths of a second, the number of retries and the SNMP version.
class SnmpTarget {
public:
    enum target_type { type_base, type_ctarget, type_utarget };

    static constexpr unsigned long kDefaultTimeout = 100;
    static constexpr int kDefaultRetries = 1;

    SnmpTarget() = default;
    explicit SnmpTarget(const UdpAddress& address) : agentAddress(address) {}
    virtual ~SnmpTarget() = default;
    SnmpTarget(const SnmpTarget&) = default;
    SnmpTarget& operator=(const SnmpTarget&) = default;

    virtual SnmpTarget* clone() const { return new SnmpTarget(*this); }
    virtual target_type get_type() const { return type_base; }

    // True when the target has a valid address.
    bool valid() const { return agentAddress.valid(); }

    bool get_address(GenAddress& address) const;
    bool get_address(UdpAddress& address) const;
    const UdpAddress& get_udp_address() const { return agentAddress; }
    // An IP address without a port, or a GenAddress without one, gets port 161.
    // False (address unchanged) when the address is not valid.
    bool set_address(const UdpAddress& address);
    bool set_address(const IpAddress& address);
    bool set_address(const GenAddress& address);

    unsigned long get_timeout() const { return timeout; }
    void set_timeout(unsigned long hundredths) { timeout = hundredths; }
    int get_retry() const { return retries; }
    // Negative counts are taken as 0.
    void set_retry(int count) { retries = count < 0 ? 0 : count; }
    snmp_version get_version() const { return version; }
    void set_version(snmp_version v) { version = v; }

private:
    UdpAddress agentAddress;
    unsigned long timeout = kDefaultTimeout;
    int retries = kDefaultRetries;
    snmp_version version = version1;
};

// A community-based (SNMPv1/v2c) target. Communities default to "public".
class CTarget : public SnmpTarget {
public:
    CTarget() = default;
    explicit CTarget(const UdpAddress& address) : SnmpTarget(address) {}
    CTarget(const UdpAddress& address, const OctetStr& readCommunity, const OctetStr& writeCommunity);

    SnmpTarget* clone() const override { return new CTarget(*this); }
    target_type get_type() const override { return type_ctarget; }

    const OctetStr& get_readcommunity() const { return readCommunity; }
    void get_readcommunity(OctetStr& community) const { community = readCommunity; }
    void set_readcommunity(const OctetStr& community) { readCommunity = community; }
    const OctetStr& get_writecommunity() const { return writeCommunity; }
    void get_writecommunity(OctetStr& community) const { community = writeCommunity; }
    void set_writecommunity(const OctetStr& community) { writeCommunity = community; }

private:
    OctetStr readCommunity = "public";
    OctetStr writeCommunity = "public";
};

// A user-based (SNMPv3) target: security name and model, and optionally the
// agent's engine id when it is known in advance. Version 3, USM by default.
class UTarget : public SnmpTarget {
public:
    UTarget() { set_version(version3); }
    explicit UTarget(const UdpAddress& address) : SnmpTarget(address) { set_version(version3); }
    UTarget(const UdpAddress& address, const OctetStr& securityName, int securityModel);

    SnmpTarget* clone() const override { return new UTarget(*this); }
    target_type get_type() const override { return type_utarget; }

    const OctetStr& get_security_name() const { return securityName; }
    void get_security_name(OctetStr& name) const { name = securityName; }
    void set_security_name(const OctetStr& name) { securityName = name; }
    int get_security_model() const { return securityModel; }
    void set_security_model(int model) { securityModel = model; }
    const OctetStr& get_engine_id() const { return engineId; }
    void get_engine_id(OctetStr& id) const { id = engineId; }
    void set_engine_id(const OctetStr& id) { engineId = id; }

private:
    OctetStr securityName;
    int securityModel = SNMP_SECURITY_MODEL_USM;
    OctetStr engineId;
};
