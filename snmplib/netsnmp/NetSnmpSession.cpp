#include "snmplib/netsnmp/NetSnmpSession.h"

#include "snmplib/SnmpErrors.h"
#include "snmplib/Sockets.h"
#include "snmplib/netsnmp/NetSnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>
#include <utility>

namespace {

// Datagrams read from one socket in one pass; more wait for the next pass.
const int kMaxReadsPerPass = 256;
// Longest sleep of a blocking wait between two looks at the clock.
const int kMaxWaitSliceMs = 50;

void* ToMagic(std::uint64_t id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

std::uint64_t FromMagic(void* magic)
{
    return static_cast<std::uint64_t>(reinterpret_cast<uintptr_t>(magic));
}

// Cheaper than a read of Net-SNMP's that finds nothing.
bool DatagramWaits(int fd)
{
    pollfd watch = PollEntry(fd, POLLIN);
    return poll(&watch, 1, 0) > 0 && (watch.revents & (POLLIN | POLLERR)) != 0;
}

// Results after which the agent's engine identifier or time is found again.
bool LosesTheEngine(int reason)
{
    return reason == SNMP_CLASS_TIMEOUT || reason == SNMPv3_USM_UNKNOWN_ENGINEID ||
           reason == SNMPv3_USM_NOT_IN_TIME_WINDOW;
}

}  // namespace

bool CSessionParams::operator<(const CSessionParams& o) const
{
    // Numbers first, one by one: most sessions differ in their address, and
    // a lookup among a thousand compares it some ten times.
    if (address != o.address)
        return address < o.address;
    if (port != o.port)
        return port < o.port;
    const CUsmCredentials& a = credentials;
    const CUsmCredentials& b = o.credentials;
    return std::tie(version, retries, blocking, securityLevel, a.authProtocol, a.privProtocol, securityName, engineId,
                    a.userName, a.authPassword, a.privPassword) <
           std::tie(o.version, o.retries, o.blocking, o.securityLevel, b.authProtocol, b.privProtocol, o.securityName,
                    o.engineId, b.userName, b.authPassword, b.privPassword);
}

std::string CSessionParams::Peer() const
{
    char text[INET_ADDRSTRLEN] = {};
    in_addr ip{};
    ip.s_addr = address;
    inet_ntop(AF_INET, &ip, text, sizeof text);
    return std::string("udp:") + text + ":" + std::to_string(port);
}

// What snmp_sess_open does, with a look at every message once it has been
// parsed.
void* CNetSnmpSession::OpenHandle(netsnmp_session& settings)
{
    netsnmp_transport* transport = netsnmp_tdomain_transport_full("snmp", settings.peername, 0, "udp", nullptr);
    if (transport == nullptr) {
        settings.s_snmp_errno = SNMPERR_BAD_ADDRESS;
        return nullptr;
    }
    if (netsnmp_sess_config_and_open_transport(&settings, transport) != SNMPERR_SUCCESS) {
        transport->f_close(transport);
        netsnmp_transport_free(transport);
        return nullptr;
    }
    return snmp_sess_add_ex(&settings, transport, nullptr, nullptr, OnParsed, nullptr, nullptr, nullptr, nullptr);
}

// A report of a time outside the agent's window that names fewer boots than
// it had is refused without a word to anyone (RFC 3414, 3.2.7): requests to
// that agent that then run out of attempts failed for that reason. Which
// request it answered is lost with it, so it counts for all in flight.
int CNetSnmpSession::OnParsed(netsnmp_session* session, netsnmp_pdu*, int result)
{
    CNetSnmpSession* self = static_cast<CNetSnmpSession*>(session->callback_magic);
    if (self != nullptr && result == SNMPERR_USM_NOTINTIMEWINDOW)
        for (auto& entry : self->inFlight)
            entry.second.outsideTimeWindow = true;
    return 1;
}

int CNetSnmpSession::CInFlight::TimedOutReason() const
{
    return outsideTimeWindow ? SNMPv3_USM_NOT_IN_TIME_WINDOW : SNMP_CLASS_TIMEOUT;
}

std::unique_ptr<CNetSnmpSession> CNetSnmpSession::Open(const CSessionParams& params, CNetSnmpUsers& users,
                                                       CNetSnmpWatch& watch, ISessionListener& listener, int* result)
{
    netsnmp_session settings;
    snmp_sess_init(&settings);
    const std::string peer = params.Peer();
    settings.peername = const_cast<char*>(peer.c_str());
    settings.version = params.version;
    settings.retries = params.retries;
    settings.local_port = 0;
    if (params.version == SNMP_VERSION_3) {
        settings.securityName = const_cast<char*>(params.credentials.userName.c_str());
        settings.securityNameLen = params.credentials.userName.size();
        const int filled = users.FillSession(settings, params.credentials, params.securityLevel);
        if (filled != SNMPv3_USM_OK) {
            *result = filled;
            return nullptr;
        }
        if (!params.engineId.empty()) {
            settings.securityEngineID = reinterpret_cast<u_char*>(const_cast<char*>(params.engineId.data()));
            settings.securityEngineIDLen = params.engineId.size();
        }
        // The localized user is made when a request needs it, not at opening.
        settings.flags |= SNMP_FLAGS_USER_CREATED;
    }
    errno = 0;
    void* handle = OpenHandle(settings);
    if (!handle) {
        // Net-SNMP calls any transport it cannot open a bad address, also
        // when the process has run out of descriptors or buffers.
        const bool exhausted = errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM;
        *result = exhausted ? SNMP_CLASS_RESOURCE_UNAVAIL : NetSnmpErrorToResult(settings.s_snmp_errno);
        return nullptr;
    }
    std::unique_ptr<CNetSnmpSession> session(new CNetSnmpSession(handle, params, users, watch, listener));
    // A socket nobody watches would never be read.
    *result = session->watched ? SNMP_CLASS_SUCCESS : SNMP_CLASS_RESOURCE_UNAVAIL;
    return session->watched ? std::move(session) : nullptr;
}

CNetSnmpSession::CNetSnmpSession(void* sessionHandle, const CSessionParams& sessionParams, CNetSnmpUsers& usmUsers,
                                 CNetSnmpWatch& socketWatch, ISessionListener& endListener)
    : handle(sessionHandle),
      params(sessionParams),
      users(usmUsers),
      watch(socketWatch),
      listener(endListener),
      discovery(sessionHandle, &CNetSnmpSession::OnEvent,
                sessionParams.version != SNMP_VERSION_3 || snmp_sess_session(sessionHandle)->securityEngineIDLen > 0,
                !sessionParams.engineId.empty(), sessionParams.retries),
      lastUsed(CNetSnmpClock::now())
{
    netsnmp_session* info = Info();
    info->callback_magic = this;
    // Net-SNMP would otherwise probe for the engine inside the first send,
    // blocking for up to all of its attempts.
    info->flags |= SNMP_FLAGS_DONT_PROBE;
    netsnmp_large_fd_set_init(&readable, Socket() + 1);
    netsnmp_large_fd_set_init(&dueFds, Socket() + 1);
    watched = watch.Add(Socket(), this);
}

CNetSnmpSession::~CNetSnmpSession()
{
    // Net-SNMP ends every request still outstanding while it closes; those
    // requests belong to the caller of the close, which completes them.
    closing = true;
    for (auto& entry : inFlight)
        ReleaseSlot(entry.second.slot);
    watch.Remove(Socket());
    snmp_sess_close(handle);
    netsnmp_large_fd_set_cleanup(&readable);
    netsnmp_large_fd_set_cleanup(&dueFds);
}

netsnmp_session* CNetSnmpSession::Info() const
{
    return snmp_sess_session(handle);
}

int CNetSnmpSession::Socket() const
{
    netsnmp_transport* transport = snmp_sess_transport(handle);
    return transport ? transport->sock : -1;
}

int CNetSnmpSession::Send(std::uint64_t id, netsnmp_pdu* pdu, unsigned long timeout)
{
    const auto now = CNetSnmpClock::now();
    lastUsed = now;
    const auto deadline = now + RequestBudget(timeout, params.retries);
    CUsmSlot* slot = nullptr;
    if (IsV3() && discovery.Ready())
        slot = users.Hold(*Info(), params.credentials);
    if (IsV3() && !slot) {
        // A probe may go out: Net-SNMP's next due time is asked again.
        libraryDueKnown = false;
        return discovery.Wait({id, pdu, timeout, deadline});
    }
    return SendNow(id, pdu, timeout, deadline, slot);
}

int CNetSnmpSession::SendNow(std::uint64_t id, netsnmp_pdu* pdu, unsigned long timeout,
                             CNetSnmpClock::time_point deadline, CUsmSlot* slot)
{
    Info()->timeout = HundredthsToMicroseconds(timeout).count();
    inFlight[id] = CInFlight{deadline, slot, false};
    sending = id;
    sendFailure = SNMP_CLASS_SUCCESS;
    libraryDueKnown = false;
    const int reqid = snmp_sess_async_send(handle, pdu, &CNetSnmpSession::OnEvent, ToMagic(id));
    sending = kNotSending;
    if (reqid != 0 && sendFailure == SNMP_CLASS_SUCCESS)
        return SNMP_CLASS_SUCCESS;
    const int failure = sendFailure != SNMP_CLASS_SUCCESS ? sendFailure : LastError();
    if (reqid == 0)
        snmp_free_pdu(pdu);
    inFlight.erase(id);
    ReleaseSlot(slot);
    return failure;
}

int CNetSnmpSession::OnEvent(int op, netsnmp_session* session, int, netsnmp_pdu* pdu, void* magic)
{
    // Returning anything but 1 would leave the request pending in Net-SNMP.
    CNetSnmpSession* self = static_cast<CNetSnmpSession*>(session->callback_magic);
    if (!self || self->closing || op == NETSNMP_CALLBACK_OP_RESEND)
        return 1;
    const std::uint64_t id = FromMagic(magic);
    if (id != CNetSnmpDiscovery::kProbe) {
        self->OnRequestEvent(id, op, pdu);
        return 1;
    }
    const int failed = self->discovery.OnProbeEvent(op, pdu);
    if (failed != SNMP_CLASS_SUCCESS)
        self->EndWaiting(failed);
    return 1;
}

void CNetSnmpSession::OnRequestEvent(std::uint64_t id, int op, netsnmp_pdu* pdu)
{
    auto request = inFlight.find(id);
    if (request == inFlight.end())
        return;
    int reason = SNMP_CLASS_ERROR;
    switch (op) {
    case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
        if (pdu && pdu->command != SNMP_MSG_REPORT) {
            End(id, SNMP_CLASS_ASYNC_RESPONSE, pdu);
            return;
        }
        reason = NetSnmpReportToResult(pdu);
        // Net-SNMP sends again after this report while attempts remain, and
        // ends the request as timed out when none do (RFC 3414, 3.2.7).
        if (reason == SNMPv3_USM_NOT_IN_TIME_WINDOW) {
            request->second.outsideTimeWindow = true;
            return;
        }
        break;
    case NETSNMP_CALLBACK_OP_TIMED_OUT:
        reason = request->second.TimedOutReason();
        break;
    case NETSNMP_CALLBACK_OP_SEND_FAILED:
        reason = LastError();
        break;
    case NETSNMP_CALLBACK_OP_SEC_ERROR:
        reason = pdu && pdu->command == SNMP_MSG_REPORT ? NetSnmpReportToResult(pdu) : LastError();
        break;
    default:
        return;
    }
    if (reason == SNMP_CLASS_SUCCESS)
        reason = SNMP_CLASS_ERROR;
    if (sending == id) {
        sendFailure = reason;
        return;
    }
    End(id, reason, nullptr);
}

void CNetSnmpSession::SendWaiting()
{
    CWaitingRequest next{};
    while (discovery.Known() && discovery.HasWaiting()) {
        CUsmSlot* slot = users.Hold(*Info(), params.credentials);
        if (!slot)
            return;  // another credential set's requests still use the keys
        discovery.TakeFirst(&next);
        const int result = SendNow(next.id, next.pdu, next.timeout, next.deadline, slot);
        if (result != SNMP_CLASS_SUCCESS)
            listener.OnRequestEnded(next.id, result, nullptr);
    }
}

void CNetSnmpSession::End(std::uint64_t id, int reason, const netsnmp_pdu* response)
{
    auto found = inFlight.find(id);
    if (found == inFlight.end())
        return;
    ReleaseSlot(found->second.slot);
    inFlight.erase(found);
    lastUsed = CNetSnmpClock::now();
    if (IsV3() && LosesTheEngine(reason))
        discovery.ForgetEngine();
    listener.OnRequestEnded(id, reason, response);
}

void CNetSnmpSession::EndWaiting(int reason)
{
    for (CWaitingRequest& entry : discovery.TakeAll()) {
        snmp_free_pdu(entry.pdu);
        listener.OnRequestEnded(entry.id, reason, nullptr);
    }
}

void CNetSnmpSession::EndOverdue(CNetSnmpClock::time_point now)
{
    for (CWaitingRequest& entry : discovery.TakeOverdue(now)) {
        snmp_free_pdu(entry.pdu);
        listener.OnRequestEnded(entry.id, SNMP_CLASS_TIMEOUT, nullptr);
    }
    std::vector<std::pair<std::uint64_t, int>> expired;
    for (const auto& entry : inFlight)
        if (entry.second.deadline <= now)
            expired.emplace_back(entry.first, entry.second.TimedOutReason());
    for (const auto& entry : expired)
        End(entry.first, entry.second, nullptr);
}

void CNetSnmpSession::ReleaseSlot(CUsmSlot* slot)
{
    if (slot && users.Release(slot))
        watch.Signal();
}

void CNetSnmpSession::Forget(std::uint64_t id)
{
    auto found = inFlight.find(id);
    if (found != inFlight.end()) {
        ReleaseSlot(found->second.slot);
        inFlight.erase(found);
    }
    discovery.Forget(id);
}

int CNetSnmpSession::LastError() const
{
    return NetSnmpSessionError(handle);
}

void CNetSnmpSession::Read()
{
    const int fd = Socket();
    // Called when the socket is readable; after each datagram it is asked
    // whether another one waits, while an answer is still expected. A stray
    // one after the last answer keeps the socket readable for the next pass,
    // which saves a system call per answer where one request is in flight.
    libraryDueKnown = false;
    for (int i = 0; fd >= 0 && i < kMaxReadsPerPass && (i == 0 || (ExpectsAnswer() && DatagramWaits(fd))); ++i) {
        NETSNMP_LARGE_FD_SET(fd, &readable);
        snmp_sess_read2(handle, &readable);
    }
    SendWaiting();
}

void CNetSnmpSession::Tick()
{
    if (!inFlight.empty() || discovery.Probing()) {
        libraryDueKnown = false;
        snmp_sess_timeout(handle);
    }
    EndOverdue(CNetSnmpClock::now());
    libraryDueKnown = false;
    const int failed = discovery.ProbeAgain();
    if (failed != SNMP_CLASS_SUCCESS)
        EndWaiting(failed);
    SendWaiting();
}

void CNetSnmpSession::WaitFor(const std::function<bool()>& done, CNetSnmpClock::time_point deadline)
{
    const int fd = Socket();
    while (!done()) {
        const auto now = CNetSnmpClock::now();
        if (now >= deadline)
            return;
        int wait = MillisecondsToNextEvent();
        KeepEarlier(wait, kMaxWaitSliceMs);
        KeepEarlier(wait, MillisecondsUntil(deadline, now));
        pollfd watchFd = PollEntry(fd, POLLIN);
        if (poll(&watchFd, 1, wait) > 0)
            Read();
        Tick();
    }
}

CNetSnmpClock::time_point CNetSnmpSession::LibraryDue() const
{
    if (libraryDueKnown)
        return libraryDue;
    int count = 0;
    int block = 1;
    timeval next{0, 0};
    // The library adds this session's socket, and only it.
    snmp_sess_select_info2(handle, &count, &dueFds, &next, &block);
    if (Socket() >= 0)
        NETSNMP_LARGE_FD_CLR(Socket(), &dueFds);
    libraryDue =
        block ? CNetSnmpClock::time_point::max()
              : CNetSnmpClock::now() + std::chrono::seconds(next.tv_sec) + std::chrono::microseconds(next.tv_usec);
    libraryDueKnown = true;
    return libraryDue;
}

int CNetSnmpSession::MillisecondsToNextEvent() const
{
    if (Outstanding() == 0)
        return -1;
    const auto now = CNetSnmpClock::now();
    int ms = discovery.MillisecondsToNextEvent(now);
    if (ms == 0)
        return 0;
    for (const auto& entry : inFlight)
        KeepEarlier(ms, MillisecondsUntil(entry.second.deadline, now));
    if (inFlight.empty() && !discovery.Probing())
        return ms;
    const CNetSnmpClock::time_point due = LibraryDue();
    if (due != CNetSnmpClock::time_point::max())
        KeepEarlier(ms, MillisecondsUntil(due, now));
    return ms;
}
