#include "snmplib/netsnmp/NetSnmpEngine.h"

#include "snmplib/netsnmp/NetSnmpConvert.h"
#include "snmplib/netsnmp/NetSnmpTarget.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// How long one pass reads and hands out completions before it leaves the
// rest to the next one: the thread that pumps is also a host's window
// thread, and its other messages come between two passes.
const auto kPassBudget = std::chrono::microseconds(2000);
// A blocking wait ends at the latest this long after its request should
// have ended: a guard against a session that never reports it.
const auto kBlockingGrace = std::chrono::seconds(5);

// Not destroyed with the other static objects: Snmp objects of static
// storage may outlive them.
CNetSnmpEngine* g_engine = nullptr;

// When the module holding this library is unloaded, an engine left behind
// would keep its memory and descriptors with nothing to reach them. Snmp
// objects of static storage built before this object still hold the engine
// when it goes, and keep it.
struct CEngineRelease {
    ~CEngineRelease() { CNetSnmpEngine::ReleaseIfIdle(); }
} g_engineRelease;

}  // namespace

CNetSnmpEngine& CNetSnmpEngine::Instance()
{
    if (g_engine == nullptr)
        g_engine = new CNetSnmpEngine;
    return *g_engine;
}

void CNetSnmpEngine::ReleaseIfIdle()
{
    if (g_engine == nullptr || !g_engine->pools.empty() || !g_engine->requests.empty() || g_engine->library.Running())
        return;
    delete g_engine;
    g_engine = nullptr;
}

void CNetSnmpEngine::Attach(const Snmp* owner)
{
    pools[owner];
}

void CNetSnmpEngine::Detach(Snmp* owner)
{
    detaching.insert(owner);
    EndAll(owner);
    detaching.erase(owner);
    pools.erase(owner);
}

bool CNetSnmpEngine::Refuses(const Snmp* owner) const
{
    return finishing || detaching.count(owner) != 0 || pools.count(owner) == 0;
}

void CNetSnmpEngine::EndAll(Snmp* owner)
{
    std::vector<std::uint64_t> ids;
    for (const auto& entry : requests)
        if (entry.second.owner == owner)
            ids.push_back(entry.first);
    std::sort(ids.begin(), ids.end());
    auto pool = pools.find(owner);
    if (pool != pools.end())
        pool->second.CloseAll();
    for (std::uint64_t id : ids) {
        auto found = requests.find(id);
        if (found == requests.end())
            continue;
        CRequest request = std::move(found->second);
        requests.erase(found);
        if (!request.blocking)
            request.callback(SNMP_CLASS_SESSION_DESTROYED, owner, request.pdu, *request.target, request.data);
    }
}

CNetSnmpSession* CNetSnmpEngine::SessionFor(const Snmp* owner, const CSessionParams& params, int* result)
{
    CNetSnmpSessionPool& pool = pools[owner];
    if (CNetSnmpSession* session = pool.Find(params))
        return session;
    std::unique_ptr<CNetSnmpSession> opened = CNetSnmpSession::Open(params, users, watch, *this, result);
    return opened ? pool.Add(std::move(opened)) : nullptr;
}

int CNetSnmpEngine::Prepare(Snmp* owner, const Pdu& pdu, const SnmpTarget& target, int command, bool blocking,
                            CNetSnmpSession** session, netsnmp_pdu** out)
{
    if (Refuses(owner))
        return SNMP_CLASS_SESSION_DESTROYED;
    if (!pdu.valid())
        return SNMP_CLASS_INVALID_PDU;
    if (!library.Ensure())
        return SNMP_CLASS_INTERNAL_ERROR;
    CSessionParams params;
    int result = NetSnmpSessionParamsFor(target, pdu, blocking, users, &params);
    if (result != SNMP_CLASS_SUCCESS)
        return result;
    *session = SessionFor(owner, params, &result);
    if (!*session)
        return result;
    *out = NetSnmpMakePdu(pdu, command, &result);
    if (!*out)
        return result;
    NetSnmpSetPduSecurity(target, pdu, *out);
    return SNMP_CLASS_SUCCESS;
}

int CNetSnmpEngine::Start(CRequest& request, CNetSnmpSession& session, netsnmp_pdu* out, std::uint64_t* id)
{
    *id = ++lastId;
    const unsigned long timeout = request.target->get_timeout();
    auto started = requests.emplace(*id, std::move(request)).first;
    const int result = session.Send(*id, out, timeout);
    if (result != SNMP_CLASS_SUCCESS) {
        request = std::move(started->second);
        requests.erase(started);
    } else {
        NoteNextEvent(session, CNetSnmpClock::now());
    }
    return result;
}

int CNetSnmpEngine::SendAsync(Snmp* owner, Pdu&& pdu, const SnmpTarget& target, int command, snmp_callback callback,
                              const void* data)
{
    if (!callback)
        return SNMP_CLASS_INVALID_CALLBACK;
    CNetSnmpSession* session = nullptr;
    netsnmp_pdu* out = nullptr;
    int result = Prepare(owner, pdu, target, command, false, &session, &out);
    if (result != SNMP_CLASS_SUCCESS)
        return result;
    CRequest request;
    request.owner = owner;
    request.callback = callback;
    request.data = const_cast<void*>(data);
    request.pdu = std::move(pdu);
    request.target.reset(target.clone());
    std::uint64_t id = 0;
    result = Start(request, *session, out, &id);
    // What did not go out leaves the caller's PDU as it was.
    if (result != SNMP_CLASS_SUCCESS)
        pdu = std::move(request.pdu);
    return result;
}

int CNetSnmpEngine::SendBlocking(Snmp* owner, Pdu& pdu, const SnmpTarget& target, int command)
{
    CNetSnmpSession* session = nullptr;
    netsnmp_pdu* out = nullptr;
    int result = Prepare(owner, pdu, target, command, true, &session, &out);
    if (result != SNMP_CLASS_SUCCESS)
        return result;
    CRequest request;
    request.owner = owner;
    request.blocking = true;
    request.pdu = pdu;
    request.target.reset(target.clone());
    const auto deadline =
        CNetSnmpClock::now() + RequestBudget(target.get_timeout(), target.get_retry()) + kBlockingGrace;
    std::uint64_t id = 0;
    result = Start(request, *session, out, &id);
    if (result != SNMP_CLASS_SUCCESS)
        return result;
    const CRequest& waiting = requests.at(id);
    session->WaitFor([&waiting] { return waiting.done; }, deadline);
    CRequest ended = std::move(requests.at(id));
    requests.erase(id);
    CNetSnmpSessionPool& pool = pools[owner];
    if (!ended.done) {
        // Net-SNMP still holds the request; a fresh session serves the next.
        session->Forget(id);
        pool.Retire(session->Params());
        return SNMP_CLASS_TIMEOUT;
    }
    pool.CloseIdle();
    if (ended.reason != SNMP_CLASS_ASYNC_RESPONSE)
        return ended.reason;
    pdu = std::move(ended.pdu);
    return pdu.get_error_status();
}

void CNetSnmpEngine::OnRequestEnded(std::uint64_t id, int reason, const netsnmp_pdu* response)
{
    auto found = requests.find(id);
    if (found == requests.end() || found->second.done)
        return;
    CRequest& request = found->second;
    request.done = true;
    request.reason = reason;
    if (response)
        request.reason = NetSnmpReadPdu(*response, request.pdu) == SNMP_CLASS_SUCCESS ? SNMP_CLASS_ASYNC_RESPONSE
                                                                                      : SNMP_CLASS_INVALID_PDU;
    // A failure comes as the reason and as the response's error status alike.
    if (request.reason != SNMP_CLASS_ASYNC_RESPONSE && request.reason != SNMP_CLASS_TIMEOUT) {
        request.pdu.set_error_status(request.reason);
        request.pdu.set_error_index(0);
    }
    if (!request.blocking)
        finished.push_back(id);
}

void CNetSnmpEngine::ForEachSession(const std::function<void(CNetSnmpSession&)>& action)
{
    for (auto& pool : pools)
        pool.second.ForEach(action);
}

void CNetSnmpEngine::ProcessEvents()
{
    const CNetSnmpClock::time_point due = CNetSnmpClock::now() + kPassBudget;
    // Sockets left unread stay readable, and so does the descriptor.
    for (CNetSnmpSession* session : watch.TakeReady()) {
        session->Read();
        // An answer may have sent what waited for it, or asked the agent again.
        const CNetSnmpClock::time_point now = CNetSnmpClock::now();
        NoteNextEvent(*session, now);
        if (now >= due)
            break;
    }
    if (waitingSessions || CNetSnmpClock::now() >= nextTick)
        TickAll();
    Deliver(due);
    // Callbacks may have deleted Snmp objects, and with them their pools.
    for (auto& pool : pools)
        pool.second.CloseIdle();
}

void CNetSnmpEngine::Deliver(CNetSnmpClock::time_point due)
{
    // At least one, so that every pass moves on.
    for (bool first = true; !finished.empty() && (first || CNetSnmpClock::now() < due); first = false) {
        const std::uint64_t id = finished.front();
        finished.pop_front();
        auto found = requests.find(id);
        if (found == requests.end())
            continue;
        CRequest request = std::move(found->second);
        requests.erase(found);
        request.callback(request.reason, request.owner, request.pdu, *request.target, request.data);
    }
    if (!finished.empty())
        watch.Signal();
}

void CNetSnmpEngine::NoteNextEvent(const CNetSnmpSession& session, CNetSnmpClock::time_point now)
{
    const int ms = session.MillisecondsToNextEvent();
    if (ms >= 0)
        nextTick = std::min(nextTick, now + std::chrono::milliseconds(ms));
    waitingSessions = waitingSessions || session.HasWaiting();
}

void CNetSnmpEngine::TickAll()
{
    const CNetSnmpClock::time_point now = CNetSnmpClock::now();
    nextTick = CNetSnmpClock::time_point::max();
    waitingSessions = false;
    ForEachSession([this, now](CNetSnmpSession& session) {
        if (session.TickDue())
            session.Tick();
        NoteNextEvent(session, now);
    });
}

int CNetSnmpEngine::PendingEvents(std::vector<pollfd>& fds)
{
    watch.AddDescriptors(fds);
    if (!finished.empty())
        return 0;
    const CNetSnmpClock::time_point now = CNetSnmpClock::now();
    if (nextTick == CNetSnmpClock::time_point::max())
        return -1;
    if (nextTick <= now)
        return 0;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTick - now).count();
    return static_cast<int>(std::min<long long>(wait, INT_MAX));
}

int CNetSnmpEngine::AddUser(const std::string& securityName, const CUsmCredentials& credentials)
{
    bool changed = false;
    const int result = users.Add(securityName, credentials, &changed);
    if (result != SNMPv3_USM_OK || !changed)
        return result;
    // Sessions made for the old credentials finish what they have under way
    // with the old keys and take nothing new.
    for (auto& pool : pools) {
        pool.second.Retire(securityName);
        pool.second.Sweep();
    }
    return SNMPv3_USM_OK;
}

bool CNetSnmpEngine::StartMessageProcessing(const std::string& engineId, unsigned int engineBoots)
{
    return library.StartWithEngine(engineId, engineBoots);
}

void CNetSnmpEngine::FinishMessageProcessing()
{
    finishing = true;
    std::vector<Snmp*> owners;
    for (const auto& pool : pools)
        owners.push_back(const_cast<Snmp*>(pool.first));
    for (Snmp* owner : owners)
        EndAll(owner);
    users.Clear(library.Shared());
    library.Stop();
    finishing = false;
}
