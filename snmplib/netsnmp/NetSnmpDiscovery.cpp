#include "snmplib/netsnmp/NetSnmpDiscovery.h"

#include "snmplib/SnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpErrors.h"

#include <algorithm>
#include <cstring>

namespace {

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

}  // namespace

CNetSnmpDiscovery::CNetSnmpDiscovery(void* sessionHandle, netsnmp_callback eventCallback, bool known, bool fixedEngine,
                                     int attemptsAfterFirst)
    : handle(sessionHandle),
      callback(eventCallback),
      fixed(fixedEngine),
      retries(attemptsAfterFirst),
      engine(known ? Engine::known : Engine::unknown)
{
}

CNetSnmpDiscovery::~CNetSnmpDiscovery()
{
    for (CWaitingRequest& entry : waiting)
        snmp_free_pdu(entry.pdu);
}

netsnmp_session* CNetSnmpDiscovery::Info() const
{
    return snmp_sess_session(handle);
}

int CNetSnmpDiscovery::Wait(const CWaitingRequest& request)
{
    waiting.push_back(request);
    if (engine != Engine::unknown)
        return SNMP_CLASS_SUCCESS;
    StartProbe();
    if (engine == Engine::probing)
        return SNMP_CLASS_SUCCESS;
    waiting.pop_back();
    snmp_free_pdu(request.pdu);
    return sendFailure;
}

int CNetSnmpDiscovery::ProbeAgain()
{
    if (engine != Engine::unknown || waiting.empty())
        return SNMP_CLASS_SUCCESS;
    StartProbe();
    return engine == Engine::probing ? SNMP_CLASS_SUCCESS : sendFailure;
}

// Leaves engine at probing when the probe is under way; otherwise
// sendFailure says why it could not be sent.
void CNetSnmpDiscovery::StartProbe()
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
    const long long attempts = static_cast<long long>(std::max(retries, 0)) + 1;
    const auto perAttempt = std::chrono::duration_cast<std::chrono::microseconds>(left) / attempts;
    Info()->timeout = std::max<long>(perAttempt.count(), 1000);
    // An empty engine identifier asks for the agent's (RFC 3414, 4).
    ReplaceOctets(Info()->securityEngineID, Info()->securityEngineIDLen, nullptr, 0);
    engine = Engine::probing;
    sending = true;
    sendFailure = SNMP_CLASS_SUCCESS;
    const int reqid = snmp_sess_async_send(handle, pdu, callback, nullptr);
    sending = false;
    if (reqid != 0 && sendFailure == SNMP_CLASS_SUCCESS)
        return;
    if (reqid == 0)
        snmp_free_pdu(pdu);
    if (sendFailure == SNMP_CLASS_SUCCESS)
        sendFailure = NetSnmpSessionError(handle);
    engine = Engine::unknown;
}

int CNetSnmpDiscovery::OnProbeEvent(int op, const netsnmp_pdu* pdu)
{
    if (engine != Engine::probing)
        return SNMP_CLASS_SUCCESS;
    const bool answered = op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE || op == NETSNMP_CALLBACK_OP_SEC_ERROR;
    if (answered && pdu && pdu->securityEngineIDLen > 0) {
        AdoptEngine(*pdu);
        return SNMP_CLASS_SUCCESS;
    }
    // The report may come as a security error first and again as a message;
    // only the message says that no identifier is to be had.
    int reason = SNMP_CLASS_SUCCESS;
    if (op == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE)
        reason = SNMPv3_USM_UNKNOWN_ENGINEID;
    else if (op == NETSNMP_CALLBACK_OP_TIMED_OUT)
        reason = SNMP_CLASS_TIMEOUT;
    else if (op == NETSNMP_CALLBACK_OP_SEND_FAILED)
        reason = NetSnmpSessionError(handle);
    if (reason == SNMP_CLASS_SUCCESS)
        return SNMP_CLASS_SUCCESS;
    if (sending) {
        sendFailure = reason;
        return SNMP_CLASS_SUCCESS;
    }
    engine = Engine::unknown;
    // Requests whose time is not up yet get another probe.
    return reason == SNMP_CLASS_TIMEOUT ? SNMP_CLASS_SUCCESS : reason;
}

void CNetSnmpDiscovery::AdoptEngine(const netsnmp_pdu& answer)
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

void CNetSnmpDiscovery::ForgetEngine()
{
    if (fixed) {
        ResetTimeWindow();
        return;
    }
    if (engine == Engine::known)
        engine = Engine::unknown;
}

void CNetSnmpDiscovery::ResetTimeWindow() const
{
    const netsnmp_session* info = Info();
    if (info->securityEngineIDLen > 0)
        set_enginetime(info->securityEngineID, static_cast<u_int>(info->securityEngineIDLen), 0, 0, TRUE);
}

bool CNetSnmpDiscovery::TakeFirst(CWaitingRequest* request)
{
    if (waiting.empty())
        return false;
    *request = waiting.front();
    waiting.erase(waiting.begin());
    return true;
}

std::vector<CWaitingRequest> CNetSnmpDiscovery::TakeAll()
{
    std::vector<CWaitingRequest> all;
    all.swap(waiting);
    return all;
}

std::vector<CWaitingRequest> CNetSnmpDiscovery::TakeOverdue(CNetSnmpClock::time_point now)
{
    auto late = std::stable_partition(waiting.begin(), waiting.end(),
                                      [now](const CWaitingRequest& entry) { return entry.deadline > now; });
    std::vector<CWaitingRequest> overdue(late, waiting.end());
    waiting.erase(late, waiting.end());
    return overdue;
}

void CNetSnmpDiscovery::Forget(std::uint64_t id)
{
    auto queued =
        std::find_if(waiting.begin(), waiting.end(), [id](const CWaitingRequest& entry) { return entry.id == id; });
    if (queued == waiting.end())
        return;
    snmp_free_pdu(queued->pdu);
    waiting.erase(queued);
}

int CNetSnmpDiscovery::MillisecondsToNextEvent(CNetSnmpClock::time_point now) const
{
    if (engine == Engine::unknown && !waiting.empty())
        return 0;
    int ms = -1;
    for (const CWaitingRequest& entry : waiting)
        KeepEarlier(ms, MillisecondsUntil(entry.deadline, now));
    return ms;
}
