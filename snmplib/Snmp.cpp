#include "snmplib/Snmp.h"

#include "snmplib/NetSnmpConvert.h"
#include "snmplib/NetSnmpEngine.h"
#include "snmplib/NetSnmpLibrary.h"
#include "snmplib/NetSnmpRequests.h"
#include "snmplib/NetSnmpSessionPool.h"
#include "snmplib/NetSnmpTarget.h"

#include <algorithm>

struct Snmp::Impl {
    explicit Impl(Snmp* owner) : self(owner) {}

    int Request(Pdu& pdu, const SnmpTarget& target, int command, snmp_callback callback, const void* data,
                bool blocking);
    int Wait(Pdu& pdu, std::uint64_t id, CNetSnmpSession& session);
    // Ends every outstanding request with SNMP_CLASS_SESSION_DESTROYED.
    void EndAll();

    Snmp* self;
    CNetSnmpSessionPool pool;
    bool destroying = false;
};

namespace {

// A blocking wait ends at the latest this long after every attempt (engine
// discovery and the request itself) should have timed out.
const auto kBlockingGrace = std::chrono::seconds(5);

std::vector<Snmp::Impl*>& Registry()
{
    static std::vector<Snmp::Impl*> registry;
    return registry;
}

bool Registered(const Snmp::Impl* impl)
{
    return std::find(Registry().begin(), Registry().end(), impl) != Registry().end();
}

// Longer waits than this are taken as this long.
const double kLongestWaitSeconds = 86400.0;

std::chrono::steady_clock::time_point BlockingDeadline(const CPendingRequest& request, int retries)
{
    double seconds = 2.0 * static_cast<double>(request.timeout) / 100.0 * (static_cast<double>(retries) + 1.0);
    if (seconds > kLongestWaitSeconds)
        seconds = kLongestWaitSeconds;
    const auto attempts = std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));
    return std::chrono::steady_clock::now() + attempts + kBlockingGrace;
}

}  // namespace

Snmp::Snmp(int& status, unsigned short port, bool bind_ipv6) : impl(new Impl(this))
{
    // Every agent gets a socket of its own on a port the system picks, so a
    // fixed local port cannot be honoured.
    status = port != 0 || bind_ipv6 ? SNMP_CLASS_TL_UNSUPPORTED : SNMP_CLASS_SUCCESS;
    Registry().push_back(impl.get());
}

Snmp::~Snmp()
{
    impl->destroying = true;
    impl->EndAll();
    Registry().erase(std::remove(Registry().begin(), Registry().end(), impl.get()), Registry().end());
}

void Snmp::Impl::EndAll()
{
    const std::vector<std::uint64_t> ids = NetSnmpRequestsOf(self);
    pool.CloseAll();
    for (std::uint64_t id : ids) {
        std::unique_ptr<CPendingRequest> request = NetSnmpRequestTake(id);
        if (request && !request->blocking)
            request->callback(SNMP_CLASS_SESSION_DESTROYED, self, request->request, *request->target, request->data);
    }
}

int Snmp::Impl::Request(Pdu& pdu, const SnmpTarget& target, int command, snmp_callback callback, const void* data,
                        bool blocking)
{
    if (destroying)
        return SNMP_CLASS_SESSION_DESTROYED;
    if (!blocking && !callback)
        return SNMP_CLASS_INVALID_CALLBACK;
    if (!pdu.valid())
        return SNMP_CLASS_INVALID_PDU;
    if (!NetSnmpLibraryEnsure())
        return SNMP_CLASS_INTERNAL_ERROR;
    CSessionParams params;
    int result = NetSnmpSessionParamsFor(target, pdu, blocking, &params);
    if (result != SNMP_CLASS_SUCCESS)
        return result;
    CNetSnmpSession* session = pool.SessionFor(params, &result);
    if (!session)
        return result;
    netsnmp_pdu* out = NetSnmpMakePdu(pdu, command, &result);
    if (!out)
        return result;
    NetSnmpSetPduSecurity(target, pdu, out);

    auto request = std::make_unique<CPendingRequest>();
    request->snmp = self;
    request->callback = callback;
    request->data = const_cast<void*>(data);
    request->blocking = blocking;
    request->request = pdu;
    request->target.reset(target.clone());
    request->timeout = target.get_timeout();
    const std::uint64_t id = NetSnmpRequestAdd(std::move(request));
    result = session->Send(out, *NetSnmpRequestFind(id));
    if (result != SNMP_CLASS_SUCCESS) {
        NetSnmpRequestTake(id);
        return result;
    }
    return blocking ? Wait(pdu, id, *session) : SNMP_CLASS_SUCCESS;
}

int Snmp::Impl::Wait(Pdu& pdu, std::uint64_t id, CNetSnmpSession& session)
{
    const CPendingRequest& waiting = *NetSnmpRequestFind(id);
    session.WaitFor(waiting, BlockingDeadline(waiting, session.Params().retries));
    std::unique_ptr<CPendingRequest> request = NetSnmpRequestTake(id);
    if (!request->done) {
        // Net-SNMP still holds the request; a fresh session serves the next
        // one, and this one closes as soon as the pool looks at it.
        session.RequestEnded();
        pool.Retire(session.Params());
        return SNMP_CLASS_TIMEOUT;
    }
    pool.CloseIdle();
    if (request->reason != SNMP_CLASS_ASYNC_RESPONSE)
        return request->reason;
    pdu = request->response;
    return pdu.get_error_status();
}

int Snmp::get(Pdu& pdu, const SnmpTarget& target)
{
    return impl->Request(pdu, target, SNMP_MSG_GET, nullptr, nullptr, true);
}

int Snmp::get_next(Pdu& pdu, const SnmpTarget& target)
{
    return impl->Request(pdu, target, SNMP_MSG_GETNEXT, nullptr, nullptr, true);
}

int Snmp::set(Pdu& pdu, const SnmpTarget& target)
{
    return impl->Request(pdu, target, SNMP_MSG_SET, nullptr, nullptr, true);
}

int Snmp::get(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return impl->Request(pdu, target, SNMP_MSG_GET, callback, callback_data, false);
}

int Snmp::get_next(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return impl->Request(pdu, target, SNMP_MSG_GETNEXT, callback, callback_data, false);
}

int Snmp::set(Pdu& pdu, const SnmpTarget& target, const snmp_callback callback, const void* callback_data)
{
    return impl->Request(pdu, target, SNMP_MSG_SET, callback, callback_data, false);
}

int SNMPProcessPendingEvents()
{
    const std::vector<Snmp::Impl*> snapshot = Registry();
    for (Snmp::Impl* impl : snapshot)
        impl->pool.ProcessEvents();
    NetSnmpDeliverFinished();
    // Callbacks may have deleted Snmp objects.
    for (Snmp::Impl* impl : snapshot)
        if (Registered(impl))
            impl->pool.CloseIdle();
    return SNMP_CLASS_SUCCESS;
}

int SNMPGetPendingEvents(std::vector<pollfd>& fds)
{
    int timeoutMs = -1;
    for (const Snmp::Impl* impl : Registry())
        impl->pool.AddWatches(fds, timeoutMs);
    return NetSnmpHasFinished() ? 0 : timeoutMs;
}

void NetSnmpRetireUser(const std::string& securityName)
{
    for (Snmp::Impl* impl : Registry()) {
        impl->pool.Retire(securityName);
        impl->pool.CloseIdle();
    }
}

void NetSnmpCloseAllSessions()
{
    const std::vector<Snmp::Impl*> snapshot = Registry();
    for (Snmp::Impl* impl : snapshot)
        if (Registered(impl))
            impl->EndAll();
}
