#include "snmplib/NetSnmpRequests.h"

#include "snmplib/NetSnmpSession.h"

#include <deque>
#include <map>

namespace {

// More completions than this in one pass means callbacks keep finishing
// requests at once; the rest waits for the next pass.
const int kMaxDeliveriesPerPass = 100000;

std::uint64_t lastId = 0;

std::map<std::uint64_t, std::unique_ptr<CPendingRequest>>& Requests()
{
    static std::map<std::uint64_t, std::unique_ptr<CPendingRequest>> requests;
    return requests;
}

std::deque<std::uint64_t>& Finished()
{
    static std::deque<std::uint64_t> finished;
    return finished;
}

}  // namespace

std::uint64_t NetSnmpRequestAdd(std::unique_ptr<CPendingRequest> request)
{
    request->id = ++lastId;
    const std::uint64_t id = request->id;
    Requests()[id] = std::move(request);
    return id;
}

CPendingRequest* NetSnmpRequestFind(std::uint64_t id)
{
    auto found = Requests().find(id);
    return found == Requests().end() ? nullptr : found->second.get();
}

std::unique_ptr<CPendingRequest> NetSnmpRequestTake(std::uint64_t id)
{
    auto found = Requests().find(id);
    if (found == Requests().end())
        return nullptr;
    std::unique_ptr<CPendingRequest> request = std::move(found->second);
    Requests().erase(found);
    return request;
}

std::vector<std::uint64_t> NetSnmpRequestsOf(const Snmp* snmp)
{
    std::vector<std::uint64_t> ids;
    for (const auto& entry : Requests())
        if (entry.second->snmp == snmp)
            ids.push_back(entry.first);
    return ids;
}

void NetSnmpRequestFinish(CPendingRequest& request, int reason, const Pdu& pdu)
{
    if (request.done)
        return;
    request.done = true;
    request.reason = reason;
    request.response = pdu;
    if (request.session)
        request.session->RequestEnded();
    if (!request.blocking)
        Finished().push_back(request.id);
}

bool NetSnmpHasFinished()
{
    return !Finished().empty();
}

void NetSnmpDeliverFinished()
{
    for (int delivered = 0; delivered < kMaxDeliveriesPerPass && !Finished().empty(); ++delivered) {
        const std::uint64_t id = Finished().front();
        Finished().pop_front();
        std::unique_ptr<CPendingRequest> request = NetSnmpRequestTake(id);
        if (!request)
            continue;
        request->callback(request->reason, request->snmp, request->response, *request->target, request->data);
    }
}
