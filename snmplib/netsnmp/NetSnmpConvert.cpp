#include "snmplib/netsnmp/NetSnmpConvert.h"

#include "snmplib/SnmpErrors.h"

#include <utility>
#include <vector>

static_assert(sizeof(oid) == sizeof(SmiUINT32), "Oid's sub-identifiers are laid out as Net-SNMP's oid");

namespace {

bool AddValue(netsnmp_pdu* out, const Vb& vb)
{
    const Oid& name = vb.get_oid();
    const oid* subids = reinterpret_cast<const oid*>(name.data());
    const SmiUINT32 syntax = vb.get_syntax();
    const u_char type = static_cast<u_char>(syntax);
    switch (syntax) {
    case sNMP_SYNTAX_INT: {
        long v = 0;
        vb.get_value(v);
        return snmp_pdu_add_variable(out, subids, name.len(), type, &v, sizeof v) != nullptr;
    }
    case sNMP_SYNTAX_CNTR32:
    case sNMP_SYNTAX_GAUGE32:
    case sNMP_SYNTAX_TIMETICKS: {
        unsigned long v = 0;
        vb.get_value(v);
        u_long value = v & 0xFFFFFFFFUL;
        return snmp_pdu_add_variable(out, subids, name.len(), type, &value, sizeof value) != nullptr;
    }
    case sNMP_SYNTAX_OCTETS:
    case sNMP_SYNTAX_OPAQUE:
    case sNMP_SYNTAX_BITS: {
        OctetStr v;
        vb.get_value(v);
        return snmp_pdu_add_variable(out, subids, name.len(), type, v.data(), v.len()) != nullptr;
    }
    case sNMP_SYNTAX_OID: {
        Oid v;
        vb.get_value(v);
        return snmp_pdu_add_variable(out, subids, name.len(), type, v.data(), v.len() * sizeof(oid)) != nullptr;
    }
    case sNMP_SYNTAX_IPADDR: {
        IpAddress v;
        vb.get_value(v);
        return snmp_pdu_add_variable(out, subids, name.len(), type, v.data(), 4) != nullptr;
    }
    case sNMP_SYNTAX_CNTR64: {
        Counter64 v;
        vb.get_value(v);
        struct counter64 value;
        value.high = v.high();
        value.low = v.low();
        return snmp_pdu_add_variable(out, subids, name.len(), type, &value, sizeof value) != nullptr;
    }
    default:
        return snmp_pdu_add_variable(out, subids, name.len(), type, nullptr, 0) != nullptr;
    }
}

bool AddBinding(netsnmp_pdu* out, const Vb& vb, bool withValue)
{
    const Oid& name = vb.get_oid();
    if (!withValue)
        return snmp_add_null_var(out, reinterpret_cast<const oid*>(name.data()), name.len()) != nullptr;
    return AddValue(out, vb);
}

template <class T>
bool HasScalar(const netsnmp_variable_list& v)
{
    return v.val.string != nullptr && v.val_len >= sizeof(T);
}

void ReadOctets(const netsnmp_variable_list& v, SmiUINT32 syntax, Vb& vb)
{
    vb.set_value(v.val.string, v.val_len);
    vb.set_syntax(syntax);
}

void ReadUnsigned(const netsnmp_variable_list& v, Vb& vb)
{
    const unsigned long value = static_cast<unsigned long>(*v.val.integer) & 0xFFFFFFFFUL;
    switch (v.type) {
    case ASN_COUNTER:
        vb.set_value(Counter32(value));
        break;
    case ASN_TIMETICKS:
        vb.set_value(TimeTicks(value));
        break;
    default:
        vb.set_value(Gauge32(value));
        break;
    }
}

void ReadValue(const netsnmp_variable_list& v, Vb& vb)
{
    switch (v.type) {
    case ASN_INTEGER:
        if (HasScalar<long>(v))
            return vb.set_value(*v.val.integer);
        break;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_UINTEGER:
        if (HasScalar<long>(v))
            return ReadUnsigned(v, vb);
        break;
    case ASN_OCTET_STR:
    case ASN_OPAQUE:
    case ASN_BIT_STR:
        if (v.val.string || v.val_len == 0)
            return ReadOctets(v, v.type, vb);
        break;
    case ASN_OBJECT_ID:
        if (v.val.objid)
            return vb.set_value(Oid(reinterpret_cast<const SmiUINT32*>(v.val.objid), v.val_len / sizeof(oid)));
        break;
    case ASN_IPADDRESS:
        if (v.val.string && v.val_len == 4) {
            IpAddress address;
            address.set_octets(v.val.string, 4);
            return vb.set_value(address);
        }
        break;
    case ASN_COUNTER64:
        if (HasScalar<struct counter64>(v))
            return vb.set_value(Counter64(v.val.counter64->high, v.val.counter64->low));
        break;
    case SNMP_NOSUCHOBJECT:
    case SNMP_NOSUCHINSTANCE:
    case SNMP_ENDOFMIBVIEW:
        return vb.set_exception_status(v.type);
    default:
        break;
    }
    vb.set_null();
}

// RFC 3416, section 3 lists error statuses 0 to 18; an agent that sends
// another number has failed in a way it does not say.
int ErrorStatus(long received)
{
    if (received < SNMP_ERROR_SUCCESS || received > SNMP_ERROR_INCONSIS_NAME)
        return SNMP_ERROR_GENERAL_VB_ERR;
    return static_cast<int>(received);
}

}  // namespace

netsnmp_pdu* NetSnmpMakePdu(const Pdu& pdu, int command, int* result)
{
    netsnmp_pdu* out = snmp_pdu_create(command);
    if (!out) {
        *result = SNMP_CLASS_RESOURCE_UNAVAIL;
        return nullptr;
    }
    const bool withValue = command == SNMP_MSG_SET;
    for (int i = 0; i < pdu.get_vb_count(); ++i) {
        const Vb* vb = pdu.vb_at(i);
        if (!vb->get_oid().valid() || !AddBinding(out, *vb, withValue)) {
            snmp_free_pdu(out);
            *result = SNMP_CLASS_INVALID_OID;
            return nullptr;
        }
    }
    *result = SNMP_CLASS_SUCCESS;
    return out;
}

int NetSnmpReadPdu(const netsnmp_pdu& received, Pdu& out)
{
    size_t count = 0;
    for (const netsnmp_variable_list* v = received.variables; v; v = v->next_variable)
        if (++count > PDU_MAX_VBS)
            return SNMP_CLASS_INVALID_PDU;
    std::vector<Vb> vbs;
    vbs.reserve(count);
    for (const netsnmp_variable_list* v = received.variables; v; v = v->next_variable) {
        vbs.emplace_back();
        Vb& vb = vbs.back();
        if (v->name)
            vb.set_oid(Oid(reinterpret_cast<const SmiUINT32*>(v->name), v->name_length));
        ReadValue(*v, vb);
    }
    out.set_vblist(std::move(vbs));
    out.set_error_status(ErrorStatus(received.errstat));
    out.set_error_index(static_cast<int>(received.errindex));
    out.set_request_id(static_cast<unsigned long>(received.reqid));
    out.set_type(static_cast<unsigned short>(received.command));
    return SNMP_CLASS_SUCCESS;
}
