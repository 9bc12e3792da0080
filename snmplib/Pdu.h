#pragma once

#include <vector>

#include "snmplib/OctetStr.h"
#include "snmplib/SmiSyntax.h"
#include "snmplib/Vb.h"

// Most variable bindings one Pdu holds; adding beyond it fails.
#define PDU_MAX_VBS 255

// A protocol data unit: variable bindings in the order they were added, the
// error status and index, request id, PDU type and the SNMPv3 scoped-PDU fields.
class Pdu {
public:
    Pdu() = default;
    // Takes count bindings; more than PDU_MAX_VBS (or a null array with a count)
    // gives an empty, invalid Pdu.
    Pdu(const Vb* vbs, int count);

    // Appends a binding. When the Pdu is full nothing is added and the Pdu
    // becomes invalid until clear() or set_vblist().
    Pdu& operator+=(const Vb& vb);
    Pdu& operator+=(Vb&& vb);

    int get_vb_count() const { return static_cast<int>(vbs.size()); }
    // Copies binding index into vb; false (vb untouched) when index is out of range.
    bool get_vb(Vb& vb, int index) const;
    // Replaces binding index; false when index is out of range.
    bool set_vb(const Vb& vb, int index);
    // The binding at index, or null when out of range.
    const Vb* vb_at(int index) const;
    // Removes the last count bindings; false (nothing removed) when there are fewer.
    bool trim(int count = 1);
    bool delete_vb(int index);

    // Copies all bindings into an array of capacity bindings; false when it is too small.
    bool get_vblist(Vb* out, int capacity) const;
    // Replaces all bindings; false (nothing changed) for a count above PDU_MAX_VBS.
    bool set_vblist(const Vb* in, int count);
    // The same, taking the bindings instead of copying them.
    bool set_vblist(std::vector<Vb>&& in);

    int get_error_status() const { return errorStatus; }
    void set_error_status(int status) { errorStatus = status; }
    int get_error_index() const { return errorIndex; }
    void set_error_index(int index) { errorIndex = index; }
    unsigned long get_request_id() const { return requestId; }
    void set_request_id(unsigned long id) { requestId = id; }
    unsigned short get_type() const { return pduType; }
    void set_type(unsigned short type) { pduType = type; }

    int get_security_level() const { return securityLevel; }
    void set_security_level(int level) { securityLevel = level; }
    const OctetStr& get_context_name() const { return contextName; }
    bool get_context_name(OctetStr& name) const
    {
        name = contextName;
        return true;
    }
    void set_context_name(const OctetStr& name) { contextName = name; }
    const OctetStr& get_context_engine_id() const { return contextEngineId; }
    bool get_context_engine_id(OctetStr& id) const
    {
        id = contextEngineId;
        return true;
    }
    void set_context_engine_id(const OctetStr& id) { contextEngineId = id; }

    bool valid() const { return isValid; }
    // Back to a new Pdu: no bindings, zero status, index and id, no type.
    void clear();

private:
    // Whether another binding fits; the Pdu becomes invalid when not.
    bool Room();

    std::vector<Vb> vbs;
    int errorStatus = 0;
    int errorIndex = 0;
    unsigned long requestId = 0;
    unsigned short pduType = 0;
    int securityLevel = SNMP_SECURITY_LEVEL_NOAUTH_NOPRIV;
    OctetStr contextName;
    OctetStr contextEngineId;
    bool isValid = true;
};
