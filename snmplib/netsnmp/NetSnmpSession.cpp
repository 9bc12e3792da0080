#include "snmplib/NetSnmpSession.h"

#include "snmplib/NetSnmpConvert.h"
#include "snmplib/NetSnmpErrors.h"
#include "snmplib/NetSnmpRequests.h"
#include "snmplib/SnmpErrors.h"

#include <cstring>
#include <map>
#include <poll.h>
#include <tuple>

namespace {

// Datagrams read from one socket in one pass; more wait for the next pass.
const int kMaxReadsPerPass = 256;
// Longest sleep of a blocking wait between two looks at the clock.
const int kMaxWaitSliceMs = 50;
const long kMicrosecondsPerHundredth = 10000;
const std::uint64_t kProbeTag = std::uint64_t(1) << 63;

std::uint64_t lastProbe = 0;

// Which session sent what: Net-SNMP hands back only the magic of a send, and
// may do so after the request has been handed out, so it is looked up here.
std::map<std::uint64_t, CNetSnmpSession*>& Senders()
{
    static std::map<std::uint64_t, CNetSnmpSession*> senders;
    return senders;
}

void* ToMagic(std::uint64_t id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

std::uint64_t FromMagic(void* magic)
{
    return static_cast<std::uint64_t>(reinterpret_cast<uintptr_t>(magic));
}

Pdu FailurePdu(const CPendingRequest& request, int result)
{
    Pdu pdu = request.request;
    pdu.set_error_status(result);
    pdu.set_error_index(0);
    return pdu;
}

void Fail(CPendingRequest& request, int result)
{
    NetSnmpRequestFinish(request, result, FailurePdu(request, result));
}

// Net-SNMP sends its own engine probes with this user; ours do the same.
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

}  // namespace

bool CSessionParams::operator<(const CSessionParams& o) const
{
    const CUsmCredentials& a = credentials;
    const CUsmCredentials& b = o.credentials;
    return std::tie(peer, version, retries, blocking, securityName, securityLevel, engineId, a.userName, a.authProtocol,
                    a.privProtocol, a.authPassword, a.privPassword) <
           std::tie(o.peer, o.version, o.retries, o.blocking, o.securityName, o.securityLevel, o.engineId, b.userName,
                    b.authProtocol, b.privProtocol, b.authPassword, b.privPassword);
}

std::unique_ptr<CNetSnmpSession> CNetSnmpSession::Open(const CSessionParams& params, int* result)
{
    netsnmp_session settings;
    snmp_sess_init(&settings);
    settings.peername = const_cast<char*>(params.peer.c_str());
    settings.version = params.version;
    settings.retries = params.retries;
    settings.local_port = 0;
    if (params.version == SNMP_VERSION_3) {
        settings.securityName = const_cast<char*>(params.credentials.userName.c_str());
        settings.securityNameLen = params.credentials.userName.size();
        const int filled = UsmFillSession(settings, params.credentials, params.securityLevel);
        if (filled != SNMPv3_USM_OK) {
            *result = filled;
            return nullptr;
        }
        if (!params.engineId.empty()) {
            settings.securityEngineID = reinterpret_cast<u_char*>(const_cast<char*>(params.engineId.data()));
            settings.securityEngineIDLen = params.engineId.size();
        }
    }
    void* handle = snmp_sess_open(&settings);
    if (!handle) {
        *result = NetSnmpErrorToResult(settings.s_snmp_errno);
        return nullptr;
    }
    *result = SNMP_CLASS_SUCCESS;
    return std::unique_ptr<CNetSnmpSession>(new CNetSnmpSession(handle, params));
}

CNetSnmpSession::CNetSnmpSession(void* sessionHandle, const CSessionParams& sessionParams)
    : handle(sessionHandle), params(sessionParams), lastUsed(std::chrono::steady_clock::now())
{
    netsnmp_session* session = snmp_sess_session(handle);
    if (params.version != SNMP_VERSION_3)
        return;
    if (session->securityEngineIDLen > 0) {
        usm_create_user_from_session(session);
        return;
    }
    // Net-SNMP would otherwise probe for the engine inside the first send,
    // blocking for up to all of its retries.
    session->flags |= SNMP_FLAGS_DONT_PROBE;
    discovery = Discovery::needed;
}

CNetSnmpSession::~CNetSnmpSession()
{
    // Net-SNMP ends every request still outstanding while it closes; those
    // requests belong to the caller of the close, which completes them.
    closing = true;
    for (auto& waiting : deferred)
        snmp_free_pdu(waiting.second);
    deferred.clear();
    snmp_sess_close(handle);
    for (auto it = Senders().begin(); it != Senders().end();)
        it = it->second == this ? Senders().erase(it) : std::next(it);
}

int CNetSnmpSession::Send(netsnmp_pdu* pdu, CPendingRequest& request)
{
    request.session = this;
    lastUsed = std::chrono::steady_clock::now();
    ++outstanding;
    int result = SNMP_CLASS_SUCCESS;
    if (discovery == Discovery::ready) {
        result = SendNow(pdu, request);
    } else {
        if (discovery == Discovery::needed)
            result = StartProbe(request.timeout);
        if (result == SNMP_CLASS_SUCCESS)
            deferred.emplace_back(request.id, pdu);
        else
            snmp_free_pdu(pdu);
    }
    if (result != SNMP_CLASS_SUCCESS)
        --outstanding;
    return result;
}

int CNetSnmpSession::SendNow(netsnmp_pdu* pdu, CPendingRequest& request)
{
    snmp_sess_session(handle)->timeout = static_cast<long>(request.timeout) * kMicrosecondsPerHundredth;
    sendingMagic = request.id;
    sendFailure = SNMP_CLASS_SUCCESS;
    Senders()[request.id] = this;
    const int reqid = snmp_sess_async_send(handle, pdu, &CNetSnmpSession::OnEvent, ToMagic(request.id));
    sendingMagic = 0;
    if (reqid == 0) {
        Senders().erase(request.id);
        snmp_free_pdu(pdu);
        return sendFailure != SNMP_CLASS_SUCCESS ? sendFailure : LastError();
    }
    if (sendFailure != SNMP_CLASS_SUCCESS)
        Fail(request, sendFailure);
    return SNMP_CLASS_SUCCESS;
}

int CNetSnmpSession::StartProbe(unsigned long timeout)
{
    EnsureEmptyUser();
    netsnmp_pdu* pdu = MakeProbePdu();
    if (!pdu)
        return SNMP_CLASS_RESOURCE_UNAVAIL;
    snmp_sess_session(handle)->timeout = static_cast<long>(timeout) * kMicrosecondsPerHundredth;
    probeMagic = kProbeTag | ++lastProbe;
    Senders()[probeMagic] = this;
    sendingMagic = probeMagic;
    sendFailure = SNMP_CLASS_SUCCESS;
    const int reqid = snmp_sess_async_send(handle, pdu, &CNetSnmpSession::OnEvent, ToMagic(probeMagic));
    sendingMagic = 0;
    if (reqid == 0) {
        snmp_free_pdu(pdu);
        EndProbe();
        return sendFailure != SNMP_CLASS_SUCCESS ? sendFailure : LastError();
    }
    discovery = Discovery::probing;
    return SNMP_CLASS_SUCCESS;
}

void CNetSnmpSession::EndProbe()
{
    Senders().erase(probeMagic);
    probeMagic = 0;
    discovery = Discovery::needed;
}

int CNetSnmpSession::OnEvent(int op, netsnmp_session*, int, netsnmp_pdu* pdu, void* magic)
{
    // Returning anything but 1 would leave the request pending in Net-SNMP.
    const std::uint64_t id = FromMagic(magic);
    auto sender = Senders().find(id);
    if (sender == Senders().end() || sender->second->closing || op == NETSNMP_CALLBACK_OP_RESEND)
        return 1;
    CNetSnmpSession* self = sender->second;
    if (id == self->probeMagic) {
        self->OnProbeEvent(op, pdu);
        return 1;
    }
    CPendingRequest* request = NetSnmpRequestFind(id);
    if (!request) {
        Senders().erase(sender);
        return 1;
    }
    self->OnRequestEvent(*request, op, pdu);
    return 1;
}

void CNetSnmpSession::OnRequestEvent(CPendingRequest& request, int op, netsnmp_pdu* pdu)
{
    int result = SNMP_CLASS_SUCCESS;
    switch (op) {
    case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
        if (pdu && pdu->command != SNMP_MSG_REPORT) {
            Pdu response = request.request;
            NetSnmpReadPdu(*pdu, response);
            NetSnmpRequestFinish(request, SNMP_CLASS_ASYNC_RESPONSE, response);
            Senders().erase(request.id);
            return;
        }
        result = NetSnmpReportToResult(pdu);
        break;
    case NETSNMP_CALLBACK_OP_TIMED_OUT:
        result = SNMP_CLASS_TIMEOUT;
        break;
    case NETSNMP_CALLBACK_OP_SEND_FAILED:
        result = LastError();
        break;
    case NETSNMP_CALLBACK_OP_SEC_ERROR:
        result = pdu && pdu->command == SNMP_MSG_REPORT ? NetSnmpReportToResult(pdu) : LastError();
        break;
    default:
        return;
    }
    if (result == SNMP_CLASS_SUCCESS)
        result = SNMP_CLASS_ERROR;
    if (sendingMagic == request.id) {
        sendFailure = result;
        return;
    }
    if (result == SNMP_CLASS_TIMEOUT)
        NetSnmpRequestFinish(request, SNMP_CLASS_TIMEOUT, request.request);
    else
        Fail(request, result);
    Senders().erase(request.id);
}

void CNetSnmpSession::OnProbeEvent(int op, netsnmp_pdu* pdu)
{
    const bool answered = op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || op == NETSNMP_CALLBACK_OP_SEC_ERROR;
    if (answered)
        AdoptEngineId(pdu);
    netsnmp_session* session = snmp_sess_session(handle);
    if (answered && session->securityEngineIDLen > 0) {
        EndProbe();
        usm_create_user_from_session(session);
        discovery = Discovery::ready;
        SendDeferred();
        return;
    }
    // The report may come as a security error first and again as a message;
    // only the message says that no identifier is to be had.
    if (op == NETSNMP_CALLBACK_OP_SEC_ERROR)
        return;
    int result = SNMPv3_USM_UNKNOWN_ENGINEID;
    if (op == NETSNMP_CALLBACK_OP_TIMED_OUT)
        result = SNMP_CLASS_TIMEOUT;
    else if (op == NETSNMP_CALLBACK_OP_SEND_FAILED)
        result = LastError();
    else if (op != NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE)
        return;
    if (sendingMagic == probeMagic) {
        sendFailure = result;
        return;
    }
    EndProbe();
    FailDeferred(result);
}

void CNetSnmpSession::AdoptEngineId(const netsnmp_pdu* pdu)
{
    netsnmp_session* session = snmp_sess_session(handle);
    if (session->securityEngineIDLen > 0 || !pdu || !pdu->securityEngineID || pdu->securityEngineIDLen == 0)
        return;
    session->securityEngineID = static_cast<u_char*>(malloc(pdu->securityEngineIDLen));
    if (!session->securityEngineID)
        return;
    memcpy(session->securityEngineID, pdu->securityEngineID, pdu->securityEngineIDLen);
    session->securityEngineIDLen = pdu->securityEngineIDLen;
}

void CNetSnmpSession::SendDeferred()
{
    std::vector<std::pair<std::uint64_t, netsnmp_pdu*>> waiting;
    waiting.swap(deferred);
    for (auto& entry : waiting) {
        CPendingRequest* request = NetSnmpRequestFind(entry.first);
        if (!request) {
            snmp_free_pdu(entry.second);
            continue;
        }
        const int result = SendNow(entry.second, *request);
        if (result != SNMP_CLASS_SUCCESS)
            Fail(*request, result);
    }
}

void CNetSnmpSession::FailDeferred(int reason)
{
    std::vector<std::pair<std::uint64_t, netsnmp_pdu*>> waiting;
    waiting.swap(deferred);
    for (auto& entry : waiting) {
        snmp_free_pdu(entry.second);
        CPendingRequest* request = NetSnmpRequestFind(entry.first);
        if (!request)
            continue;
        if (reason == SNMP_CLASS_TIMEOUT)
            NetSnmpRequestFinish(*request, SNMP_CLASS_TIMEOUT, request->request);
        else
            Fail(*request, reason);
    }
}

int CNetSnmpSession::LastError() const
{
    const int result = NetSnmpErrorToResult(snmp_sess_session(handle)->s_snmp_errno);
    return result == SNMP_CLASS_SUCCESS ? SNMP_CLASS_ERROR : result;
}

int CNetSnmpSession::Socket() const
{
    netsnmp_transport* transport = snmp_sess_transport(handle);
    return transport ? transport->sock : -1;
}

void CNetSnmpSession::ReadOne()
{
    const int fd = Socket();
    netsnmp_large_fd_set readable;
    netsnmp_large_fd_set_init(&readable, fd + 1);
    netsnmp_large_fd_setfd(fd, &readable);
    snmp_sess_read2(handle, &readable);
    netsnmp_large_fd_set_cleanup(&readable);
}

void CNetSnmpSession::ProcessEvents()
{
    const int fd = Socket();
    for (int i = 0; fd >= 0 && i < kMaxReadsPerPass; ++i) {
        pollfd watch{fd, POLLIN, 0};
        if (poll(&watch, 1, 0) <= 0 || !(watch.revents & (POLLIN | POLLERR)))
            break;
        ReadOne();
    }
    snmp_sess_timeout(handle);
}

void CNetSnmpSession::WaitFor(const CPendingRequest& request, std::chrono::steady_clock::time_point deadline)
{
    const int fd = Socket();
    while (!request.done && std::chrono::steady_clock::now() < deadline) {
        int wait = MillisecondsToNextTimeout();
        if (wait < 0 || wait > kMaxWaitSliceMs)
            wait = kMaxWaitSliceMs;
        pollfd watch{fd, POLLIN, 0};
        poll(&watch, 1, wait);
        ProcessEvents();
    }
}

int CNetSnmpSession::MillisecondsToNextTimeout() const
{
    const int fd = Socket();
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, fd + 1);
    int count = 0;
    int block = 1;
    timeval wait{0, 0};
    snmp_sess_select_info2(handle, &count, &fds, &wait, &block);
    netsnmp_large_fd_set_cleanup(&fds);
    if (block)
        return -1;
    return static_cast<int>(wait.tv_sec * 1000 + (wait.tv_usec + 999) / 1000);
}

void CNetSnmpSession::RequestEnded()
{
    if (outstanding > 0)
        --outstanding;
    lastUsed = std::chrono::steady_clock::now();
}
