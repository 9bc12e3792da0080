// A datagram from an agent all the way to the display texts of a list: Net-SNMP
// parses it, the adapter reads it into a Pdu, and the response step applies
// it to a table list or a single-instance list whose shape the input decides,
// twice in a row as a walk would.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/QvErrors.h"
#include "fuzz/FuzzLists.h"
#include "snmpfw/SnmpRequest.h"
#include "snmplib/Pdu.h"
#include "snmplib/SnmpErrors.h"
#include "snmplib/netsnmp/NetSnmpConvert.h"
#include "snmplib/netsnmp/NetSnmpLibrary.h"

namespace {

const int kSteps = 2;

bool ParseDatagram(std::vector<uint8_t> datagram, long version, Pdu& out)
{
    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = version;
    netsnmp_pdu* parsed = static_cast<netsnmp_pdu*>(calloc(1, sizeof(netsnmp_pdu)));
    const bool ok = parsed != nullptr && snmp_parse(nullptr, &session, parsed, datagram.data(), datagram.size()) == 0 &&
                    NetSnmpReadPdu(*parsed, out) == SNMP_CLASS_SUCCESS;
    if (parsed != nullptr)
        snmp_free_pdu(parsed);
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static CNetSnmpLibrary library;
    return library.Ensure() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool table = in.ConsumeBool();
    const long version = in.ConsumeBool() ? SNMP_VERSION_2c : SNMP_VERSION_1;
    const int code = in.PickValueInArray({0, 0, static_cast<int>(QV_CODE_NO_SUCH_NAME)});
    CSnmpRequest request;
    request.varList = krwfuzz::ConsumeVarList(in, table);
    Pdu pdu;
    if (!ParseDatagram(in.ConsumeRemainingBytes<uint8_t>(), version, pdu))
        return 0;
    for (int step = 0; step < kSteps; ++step) {
        CSnmpVarList received(request.varList);
        bool applied = false;
        krwfuzz::Tolerate([&] {
            const CSnmpRequest::Outcome outcome = code == QV_CODE_NO_SUCH_NAME && table
                                                      ? request.EndColumn(pdu, received)
                                                      : request.ApplyRow(pdu, received);
            applied = outcome == CSnmpRequest::OUTCOME_ROW || outcome == CSnmpRequest::OUTCOME_ASK_AGAIN;
        });
        if (!applied)
            break;
        request.varList = received;
    }
    return 0;
}
