#include "apsim/ApSimTransports.h"

#include "apsim/ApSimMib.h"
#include "apsim/ApSimRequestLog.h"

#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <vector>

namespace {

typedef int (*SendFunction)(netsnmp_transport*, const void*, int, void**, int*);

CApSimTransports* g_transports = nullptr;
std::map<netsnmp_transport*, SendFunction> g_originalSends;

using Clock = std::chrono::steady_clock;

// An answer waiting for its time.
struct CLateAnswer {
    Clock::time_point due;
    netsnmp_transport* transport;
    std::vector<unsigned char> packet;
    std::vector<unsigned char> address;
};

// Answers whose time has not come, in the order they fall due (every answer
// waits as long); those left at the end are dropped. One alarm at a time
// stands for the first: Net-SNMP keeps its alarms in a list it searches.
std::deque<CLateAnswer> g_lateAnswers;
bool g_alarmSet = false;

// Sends one answer as many times as the device repeats itself.
int SendCopies(netsnmp_transport* transport, const void* packet, int size, void** opaque, int* length)
{
    int sent = -1;
    for (int i = 0; i < g_transports->Copies(); ++i)
        sent = g_originalSends[transport](transport, packet, size, opaque, length);
    return sent;
}

void SendDue(unsigned int, void*);

void SetAlarm()
{
    const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(g_lateAnswers.front().due - Clock::now());
    const long us = std::max<long>(static_cast<long>(wait.count()), 0);
    timeval when{us / 1000000, us % 1000000};
    g_alarmSet = snmp_alarm_register_hr(when, 0, SendDue, nullptr) != 0;
}

void SendDue(unsigned int, void*)
{
    g_alarmSet = false;
    const Clock::time_point now = Clock::now();
    while (!g_lateAnswers.empty() && g_lateAnswers.front().due <= now) {
        CLateAnswer& answer = g_lateAnswers.front();
        void* opaque = answer.address.empty() ? nullptr : answer.address.data();
        int length = static_cast<int>(answer.address.size());
        SendCopies(answer.transport, answer.packet.data(), static_cast<int>(answer.packet.size()), &opaque, &length);
        g_lateAnswers.pop_front();
    }
    if (!g_lateAnswers.empty())
        SetAlarm();
}

int SendDelayed(netsnmp_transport* transport, const void* packet, int size, void** opaque, int* length)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(packet);
    const unsigned char* address = opaque && *opaque && length ? static_cast<const unsigned char*>(*opaque) : nullptr;
    g_lateAnswers.push_back(
        {Clock::now() + std::chrono::milliseconds(g_transports->DelayMs()), transport,
         std::vector<unsigned char>(bytes, bytes + size),
         address ? std::vector<unsigned char>(address, address + *length) : std::vector<unsigned char>()});
    if (!g_alarmSet)
        SetAlarm();
    return size;
}

// Every request is admitted and counted, as the agent's own check does, but
// without asking the TCP wrappers' files about its sender each time: the
// simulated device serves every manager.
int AdmitSender(netsnmp_session*, netsnmp_transport*, void*, int)
{
    snmp_increment_statistic(STAT_SNMPINPKTS);
    return 1;
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
    errno = 0;
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", endpoint.c_str());
    if (!transport) {
        // Net-SNMP keeps the reason of the bind or socket call that failed
        // to itself; errno still holds it.
        *error = "cannot listen on " + address + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
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
    if (!snmp_add(&settings, transport, AdmitSender, AdmitPacket)) {
        *error = "cannot serve " + address;
        return false;
    }
    *bound = address.substr(0, address.rfind(':')) + ":" + std::to_string(BoundPort(transport->sock));
    return true;
}
