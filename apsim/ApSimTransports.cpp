#include "apsim/ApSimTransports.h"

#include "apsim/ApSimMib.h"
#include "apsim/ApSimRequestLog.h"

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <vector>

namespace {

typedef int (*SendFunction)(netsnmp_transport*, const void*, int, void**, int*);

CApSimTransports* g_transports = nullptr;
std::map<netsnmp_transport*, SendFunction> g_originalSends;

// An answer waiting for its time.
struct CLateAnswer {
    netsnmp_transport* transport;
    std::vector<unsigned char> packet;
    std::vector<unsigned char> address;
};

// Answers whose time has not come, by themselves; those left at the end are dropped.
std::map<const CLateAnswer*, std::unique_ptr<CLateAnswer>> g_lateAnswers;

// Sends one answer as many times as the device repeats itself.
int SendCopies(netsnmp_transport* transport, const void* packet, int size, void** opaque, int* length)
{
    int sent = -1;
    for (int i = 0; i < g_transports->Copies(); ++i)
        sent = g_originalSends[transport](transport, packet, size, opaque, length);
    return sent;
}

void SendLate(unsigned int, void* data)
{
    CLateAnswer* answer = static_cast<CLateAnswer*>(data);
    void* opaque = answer->address.empty() ? nullptr : answer->address.data();
    int length = static_cast<int>(answer->address.size());
    SendCopies(answer->transport, answer->packet.data(), static_cast<int>(answer->packet.size()), &opaque, &length);
    g_lateAnswers.erase(answer);
}

int SendDelayed(netsnmp_transport* transport, const void* packet, int size, void** opaque, int* length)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(packet);
    const unsigned char* address = opaque && *opaque && length ? static_cast<const unsigned char*>(*opaque) : nullptr;
    CLateAnswer* answer = new CLateAnswer{transport, std::vector<unsigned char>(bytes, bytes + size),
                                          address ? std::vector<unsigned char>(address, address + *length)
                                                  : std::vector<unsigned char>()};
    g_lateAnswers[answer].reset(answer);
    const int delay = g_transports->DelayMs();
    timeval when{delay / 1000, (delay % 1000) * 1000};
    snmp_alarm_register_hr(when, 0, SendLate, answer);
    return size;
}

int AdmitPacket(netsnmp_session* session, netsnmp_pdu* pdu, int result)
{
    return netsnmp_agent_check_parse(session, pdu, result) && g_transports->Admit(*pdu) ? 1 : 0;
}

unsigned short BoundPort(int socket)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

}  // namespace

CApSimTransports::CApSimTransports(const CApSimWire& wireBehaviour) : wire(wireBehaviour)
{
    g_transports = this;
}

bool CApSimTransports::Admit(const snmp_pdu& pdu)
{
    if (!silent && wire.stopAfter >= 0 && CApSimMib::IsTableRequest(pdu) && ++tableRequests > wire.stopAfter)
        silent = true;
    if (wire.log)
        LogRequest(pdu, !silent);
    return !silent;
}

bool CApSimTransports::Listen(const std::string& address, std::string* bound, std::string* error)
{
    const std::string endpoint = "udp:" + address;
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", endpoint.c_str());
    if (!transport) {
        *error = "cannot listen on " + address;
        return false;
    }
    if (wire.delayMs > 0 || wire.copies > 1) {
        g_originalSends[transport] = transport->f_send;
        transport->f_send = wire.delayMs > 0 ? SendDelayed : SendCopies;
    }
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.version = SNMP_DEFAULT_VERSION;
    settings.callback = handle_snmp_packet;
    settings.isAuthoritative = SNMP_SESS_AUTHORITATIVE;
    if (!snmp_add(&settings, transport, netsnmp_agent_check_packet, AdmitPacket)) {
        *error = "cannot serve " + address;
        return false;
    }
    *bound = address.substr(0, address.rfind(':')) + ":" + std::to_string(BoundPort(transport->sock));
    return true;
}
