#pragma once

#include "snmplib/Pdu.h"
#include "snmplib/Snmp.h"
#include "snmplib/Target.h"

#include <cstdint>
#include <memory>

class CNetSnmpSession;

// One request in flight, from the send until its completion is handed out.
struct CPendingRequest {
    std::uint64_t id = 0;
    Snmp* snmp = nullptr;
    CNetSnmpSession* session = nullptr;
    snmp_callback callback = nullptr;
    void* data = nullptr;
    bool blocking = false;
    Pdu request;
    std::unique_ptr<SnmpTarget> target;
    unsigned long timeout = 0;  // hundredths of a second per attempt

    // Set once, by the first event that ends the request.
    bool done = false;
    int reason = SNMP_CLASS_SUCCESS;
    Pdu response;
};

// Every request of the process by id. Ids are never reused, so an event that
// names a request already handed out finds nothing.
std::uint64_t NetSnmpRequestAdd(std::unique_ptr<CPendingRequest> request);
CPendingRequest* NetSnmpRequestFind(std::uint64_t id);
std::unique_ptr<CPendingRequest> NetSnmpRequestTake(std::uint64_t id);
// Ids of the requests of one Snmp object, oldest first.
std::vector<std::uint64_t> NetSnmpRequestsOf(const Snmp* snmp);

// Ends a request with reason and the PDU its callback gets. A blocking
// request is only marked; an asynchronous one is queued for delivery.
void NetSnmpRequestFinish(CPendingRequest& request, int reason, const Pdu& pdu);

bool NetSnmpHasFinished();

// Calls the callbacks of the queued requests, oldest first. Requests a
// callback sends meanwhile are queued behind and delivered in the same pass.
void NetSnmpDeliverFinished();
