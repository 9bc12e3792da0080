#pragma once

#include "snmplib/SnmpLib.h"

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Helpers of the SNMP library's integration tests: waiting for completions
// on the library's own sockets, recording callbacks, building targets.
namespace krwtest {

// Calls SNMPProcessPendingEvents until done() holds or bound has passed,
// sleeping between calls on the library's sockets and next time-out.
// True when done() became true.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);

// Waits (bounded) on the library's sockets without processing anything:
// true once one of them has a datagram to read.
bool WaitForDatagram(std::chrono::milliseconds bound);

// What the callbacks of one request did.
struct CCompletion {
    int calls = 0;
    int reason = 0;
    Pdu pdu;
    std::chrono::steady_clock::time_point when;
};

// An snmp_callback whose data is a CCompletion.
void RecordCompletion(int reason, Snmp* session, Pdu& pdu, SnmpTarget& target, void* data);

CTarget CommunityTarget(unsigned short port, snmp_version version, unsigned long timeout = 100, int retries = 1,
                        const char* readCommunity = "public", const char* writeCommunity = "private");
UTarget UserTarget(unsigned short port, const char* securityName, unsigned long timeout = 100, int retries = 1);

Pdu PduOf(const std::vector<std::string>& oids, int securityLevel = SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV);
std::string ValueText(const Pdu& pdu, int index);
std::string OidText(const Pdu& pdu, int index);

// Open file descriptors of this process.
int OpenDescriptorCount();
// The descriptors of this process that are sockets.
std::set<int> OpenSockets();

}  // namespace krwtest
