#include "snmplib/netsnmp/NetSnmpSession.h"

#include "snmplib/SnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpWatch.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <tuple>

namespace {

// Datagrams read from one socket in one pass; more wait for the next pass.
const int kMaxReadsPerPass = 256;
// Longest sleep of a blocking wait between two looks at the clock.
const int kMaxWaitSliceMs = 50;
// The magic of the engine discovery probe; requests count from 1.
const std::uint64_t kProbe = 0;

void* ToMagic(std::uint64_t id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

std::uint64_t FromMagic(void* magic)
{
    return static_cast<std::uint64_t>(reinterpret_cast<uintptr_t>(magic));
}

int MillisecondsUntil(CNetSnmpClock::time_point when, CNetSnmpClock::time_point now)
{
    if (when <= now)
        return 0;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
    return static_cast<int>(std::min<long long>(wait, INT32_MAX));
}

// Cheaper than a read of Net-SNMP's that finds nothing.
bool DatagramWaits(int fd)
{
    pollfd watch{fd, POLLIN, 0};
    return poll(&watch, 1, 0) > 0 && (watch.revents & (POLLIN | POLLERR)) != 0;
}

void KeepEarlier(int& ms, int candidate)
{
    if (candidate >= 0 && (ms < 0 || candidate < ms))
        ms = candidate;
}

// Net-SNMP sends its own discovery probes as the empty user; ours do the same.
void EnsureEmptyUser()
{
    if (usm_get_user(nullptr, 0, const_cast<char*>("")))
        return;
    struct usmUser* user = usm_create_user();
    if (!user)
        return;
    user->name = strdup("");
    user->secName = strdup("");
    usm_add_user(user);
}

// A request without authentication and without an engine identifier: the
// agent answers it with a report that carries its identifier (RFC 3414, 4).
netsnmp_pdu* MakeProbePdu()
{
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    if (!pdu)
        return nullptr;
    pdu->version = SNMP_VERSION_3;
    pdu->securityName = strdup("");
    pdu->securityNameLen = 0;
    pdu->securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    pdu->securityModel = SNMP_SEC_MODEL_USM;
    return pdu;
}

void ReplaceOctets(u_char*& field, size_t& length, const u_char* octets, size_t count)
{
    free(field);
    field = nullptr;
    length = 0;
    if (count == 0)
        return;
    field = static_cast<u_char*>(malloc(count));
    if (!field)
        return;
    memcpy(field, octets, count);
    length = count;
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
    const CUsmCredentials& a = credentials;
    const CUsmCredentials& b = o.credentials;
    // Numbers first: most sessions differ in them, and they compare cheaply.
    return std::tie(address, port, version, retries, blocking, securityLevel, a.authProtocol, a.privProtocol,
                    securityName, engineId, a.userName, a.authPassword, a.privPassword) <
           std::tie(o.address, o.port, o.version, o.retries, o.blocking, o.securityLevel, b.authProtocol,
                    b.privProtocol, o.securityName, o.engineId, b.userName, b.authPassword, b.privPassword);
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
        netsnmp_transport_free(transport);
        return nullptr;
    }
    return snmp_sess_add_ex(&settings, transport, nullptr, nullptr, OnParsed, nullptr, nullptr, nullptr, nullptr);
}

// A report of a time outside the agent's window that names fewer boots than
// it had is refused without a word to anyone (RFC 3414, 3.2.7): requests to
// that agent that then run out of attempts failed for that reason.
int CNetSnmpSession::OnParsed(netsnmp_session* session, netsnmp_pdu*, int result)
{
    CNetSnmpSession* self = static_cast<CNetSnmpSession*>(session->callback_magic);
    if (self != nullptr && result == SNMPERR_USM_NOTINTIMEWINDOW)
        for (auto& entry : self->inFlight)
            entry.second.outsideTimeWindow = true;
    return 1;
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
      lastUsed(CNetSnmpClock::now())
{
    netsnmp_session* info = Info();
    info->callback_magic = this;
    // Net-SNMP would otherwise probe for the engine inside the first send,
    // blocking for up to all of its attempts.
    info->flags |= SNMP_FLAGS_DONT_PROBE;
    if (IsV3() && info->securityEngineIDLen == 0)
        engine = Engine::unknown;
    netsnmp_large_fd_set_init(&readable, Socket() + 1);
    watched = watch.Add(Socket(), this);
}

CNetSnmpSession::~CNetSnmpSession()
{
    // Net-SNMP ends every request still outstanding while it closes; those
    // requests belong to the caller of the close, which completes them.
    closing = true;
    for (CWaiting& entry : waiting)
        snmp_free_pdu(entry.pdu);
    for (auto& entry : inFlight)
        ReleaseSlot(entry.second.slot);
    watch.Remove(Socket());
    snmp_sess_close(handle);
    netsnmp_large_fd_set_cleanup(&readable);
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
    if (IsV3() && engine == Engine::known && waiting.empty())
        slot = users.Hold(*Info(), params.credentials);
    if (IsV3() && !slot) {
        waiting.push_back({id, pdu, timeout, deadline});
        if (engine != Engine::unknown)
            return SNMP_CLASS_SUCCESS;
        StartProbe();
        if (engine == Engine::probing)
            return SNMP_CLASS_SUCCESS;
        waiting.pop_back();
        snmp_free_pdu(pdu);
        return sendFailure;
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

// Leaves engine at probing when the probe is under way; otherwise
// sendFailure says why it could not be sent.
void CNetSnmpSession::StartProbe()
{
    sendFailure = SNMP_CLASS_RESOURCE_UNAVAIL;
    if (waiting.empty())
        return;
    EnsureEmptyUser();
    netsnmp_pdu* pdu = MakeProbePdu();
    if (!pdu)
        return;
    // The probe lasts as long as the first waiting request may still wait.
    const auto left = waiting.front().deadline - CNetSnmpClock::now();
    const long long attempts = static_cast<long long>(std::max(params.retries, 0)) + 1;
    const auto perAttempt = std::chrono::duration_cast<std::chrono::microseconds>(left) / attempts;
    Info()->timeout = std::max<long>(perAttempt.count(), 1000);
    // An empty engine identifier asks for the agent's (RFC 3414, 4).
    ReplaceOctets(Info()->securityEngineID, Info()->securityEngineIDLen, nullptr, 0);
    engine = Engine::probing;
    sending = kProbe;
    sendFailure = SNMP_CLASS_SUCCESS;
    libraryDueKnown = false;
    const int reqid = snmp_sess_async_send(handle, pdu, &CNetSnmpSession::OnEvent, ToMagic(kProbe));
    sending = kNotSending;
    if (reqid != 0 && sendFailure == SNMP_CLASS_SUCCESS)
        return;
    if (reqid == 0)
        snmp_free_pdu(pdu);
    if (sendFailure == SNMP_CLASS_SUCCESS)
        sendFailure = LastError();
    engine = Engine::unknown;
}

int CNetSnmpSession::OnEvent(int op, netsnmp_session* session, int, netsnmp_pdu* pdu, void* magic)
{
    // Returning anything but 1 would leave the request pending in Net-SNMP.
    CNetSnmpSession* self = static_cast<CNetSnmpSession*>(session->callback_magic);
    if (!self || self->closing || op == NETSNMP_CALLBACK_OP_RESEND)
        return 1;
    const std::uint64_t id = FromMagic(magic);
    if (id == kProbe)
        self->OnProbeEvent(op, pdu);
    else
        self->OnRequestEvent(id, op, pdu);
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
        reason = request->second.outsideTimeWindow ? SNMPv3_USM_NOT_IN_TIME_WINDOW : SNMP_CLASS_TIMEOUT;
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

void CNetSnmpSession::OnProbeEvent(int op, netsnmp_pdu* pdu)
{
    if (engine != Engine::probing)
        return;
    const bool answered = op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || op == NETSNMP_CALLBACK_OP_SEC_ERROR;
    if (answered && pdu && pdu->securityEngineIDLen > 0) {
        AdoptEngine(*pdu);
        return;
    }
    // The report may come as a security error first and again as a message;
    // only the message says that no identifier is to be had.
    int reason = SNMP_CLASS_SUCCESS;
    if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE)
        reason = SNMPv3_USM_UNKNOWN_ENGINEID;
    else if (op == NETSNMP_CALLBACK_OP_TIMED_OUT)
        reason = SNMP_CLASS_TIMEOUT;
    else if (op == NETSNMP_CALLBACK_OP_SEND_FAILED)
        reason = LastError();
    if (reason == SNMP_CLASS_SUCCESS)
        return;
    if (sending == kProbe) {
        sendFailure = reason;
        return;
    }
    engine = Engine::unknown;
    // Requests whose time is not up yet get another probe from Tick.
    if (reason != SNMP_CLASS_TIMEOUT)
        EndWaiting(reason);
}

void CNetSnmpSession::AdoptEngine(const netsnmp_pdu& answer)
{
    const std::string found(reinterpret_cast<const char*>(answer.securityEngineID), answer.securityEngineIDLen);
    netsnmp_session* info = Info();
    ReplaceOctets(info->securityEngineID, info->securityEngineIDLen, answer.securityEngineID,
                  answer.securityEngineIDLen);
    ReplaceOctets(info->contextEngineID, info->contextEngineIDLen, answer.securityEngineID, answer.securityEngineIDLen);
    engine = Engine::known;
    // The same engine after a failure may have lost its boots and time: take
    // them from its next report, whatever we saw before.
    if (found == lastEngineId)
        ResetTimeWindow();
    lastEngineId = found;
}

void CNetSnmpSession::ForgetEngine()
{
    if (!params.engineId.empty()) {
        ResetTimeWindow();
        return;
    }
    if (engine == Engine::known)
        engine = Engine::unknown;
}

void CNetSnmpSession::ResetTimeWindow() const
{
    const netsnmp_session* info = Info();
    if (info->securityEngineIDLen > 0)
        set_enginetime(info->securityEngineID, static_cast<u_int>(info->securityEngineIDLen), 0, 0, TRUE);
}

void CNetSnmpSession::SendWaiting()
{
    while (!waiting.empty() && engine == Engine::known) {
        CUsmSlot* slot = users.Hold(*Info(), params.credentials);
        if (!slot)
            return;  // another credential set's requests still use the keys
        const CWaiting next = waiting.front();
        waiting.erase(waiting.begin());
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
        ForgetEngine();
    listener.OnRequestEnded(id, reason, response);
}

void CNetSnmpSession::EndWaiting(int reason)
{
    std::vector<CWaiting> ended;
    ended.swap(waiting);
    for (CWaiting& entry : ended) {
        snmp_free_pdu(entry.pdu);
        listener.OnRequestEnded(entry.id, reason, nullptr);
    }
}

void CNetSnmpSession::EndOverdue(CNetSnmpClock::time_point now)
{
    std::vector<CWaiting> overdue;
    auto late = std::stable_partition(waiting.begin(), waiting.end(),
                                      [now](const CWaiting& entry) { return entry.deadline > now; });
    overdue.assign(late, waiting.end());
    waiting.erase(late, waiting.end());
    for (CWaiting& entry : overdue) {
        snmp_free_pdu(entry.pdu);
        listener.OnRequestEnded(entry.id, SNMP_CLASS_TIMEOUT, nullptr);
    }
    std::vector<std::uint64_t> expired;
    for (const auto& entry : inFlight)
        if (entry.second.deadline <= now)
            expired.push_back(entry.first);
    for (std::uint64_t id : expired)
        End(id, SNMP_CLASS_TIMEOUT, nullptr);
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
    auto queued = std::find_if(waiting.begin(), waiting.end(), [id](const CWaiting& w) { return w.id == id; });
    if (queued != waiting.end()) {
        snmp_free_pdu(queued->pdu);
        waiting.erase(queued);
    }
}

int CNetSnmpSession::LastError() const
{
    const int result = NetSnmpErrorToResult(Info()->s_snmp_errno);
    return result == SNMP_CLASS_SUCCESS ? SNMP_CLASS_ERROR : result;
}

void CNetSnmpSession::Read()
{
    const int fd = Socket();
    // Called when the socket is readable; after each datagram it is asked
    // whether another one waits.
    libraryDueKnown = false;
    for (int i = 0; fd >= 0 && i < kMaxReadsPerPass && (i == 0 || DatagramWaits(fd)); ++i) {
        NETSNMP_LARGE_FD_SET(fd, &readable);
        snmp_sess_read2(handle, &readable);
    }
    SendWaiting();
}

void CNetSnmpSession::Tick()
{
    if (!inFlight.empty() || engine == Engine::probing) {
        libraryDueKnown = false;
        snmp_sess_timeout(handle);
    }
    EndOverdue(CNetSnmpClock::now());
    if (engine == Engine::unknown && !waiting.empty()) {
        StartProbe();
        if (engine != Engine::probing)
            EndWaiting(sendFailure);
    }
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
        pollfd watchFd{fd, POLLIN, 0};
        if (poll(&watchFd, 1, wait) > 0)
            Read();
        Tick();
    }
}

CNetSnmpClock::time_point CNetSnmpSession::LibraryDue() const
{
    if (libraryDueKnown)
        return libraryDue;
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, Socket() + 1);
    int count = 0;
    int block = 1;
    timeval next{0, 0};
    snmp_sess_select_info2(handle, &count, &fds, &next, &block);
    netsnmp_large_fd_set_cleanup(&fds);
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
    if (engine == Engine::unknown && !waiting.empty())
        return 0;
    const auto now = CNetSnmpClock::now();
    int ms = -1;
    for (const CWaiting& entry : waiting)
        KeepEarlier(ms, MillisecondsUntil(entry.deadline, now));
    for (const auto& entry : inFlight)
        KeepEarlier(ms, MillisecondsUntil(entry.second.deadline, now));
    if (inFlight.empty() && engine != Engine::probing)
        return ms;
    const CNetSnmpClock::time_point due = LibraryDue();
    if (due != CNetSnmpClock::time_point::max())
        KeepEarlier(ms, MillisecondsUntil(due, now));
    return ms;
}
