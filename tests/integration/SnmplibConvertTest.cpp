#include "snmplib/SnmpLib.h"
#include "snmplib/netsnmp/NetSnmp.h"
#include "snmplib/netsnmp/NetSnmpConvert.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A set's bindings go into Net-SNMP's PDU and, read back as a response,
// come out with the same syntax and value.
TEST(SnmplibConvertTest, SetValuesOfEverySyntaxSurviveTheTripThroughNetSnmp)
{
    const std::vector<std::function<void(Vb&)>> values = {
        [](Vb& vb) { vb.set_value(-5L); },
        [](Vb& vb) { vb.set_value(Counter32(4294967295UL)); },
        [](Vb& vb) { vb.set_value(Gauge32(7)); },
        [](Vb& vb) { vb.set_value(TimeTicks(123456)); },
        [](Vb& vb) { vb.set_value(Counter64(0x123456789ULL)); },
        [](Vb& vb) { vb.set_value(reinterpret_cast<const unsigned char*>("a\0b\xff"), 4); },
        [](Vb& vb) { vb.set_value(Oid("1.3.6.1.4.1.32473")); },
        [](Vb& vb) { vb.set_value(IpAddress("192.0.2.7")); },
        [](Vb& vb) { vb.set_null(); },
        [](Vb& vb) {
            vb.set_value(OctetStr("opaque"));
            vb.set_syntax(sNMP_SYNTAX_OPAQUE);
        },
    };
    Pdu sent;
    for (size_t i = 0; i < values.size(); ++i) {
        Vb vb{Oid("1.3.6.1.2.1.1.9." + std::to_string(i))};
        values[i](vb);
        sent += vb;
    }
    int result = -1;
    netsnmp_pdu* built = NetSnmpMakePdu(sent, SNMP_MSG_SET, &result);
    ASSERT_EQ(SNMP_CLASS_SUCCESS, result);
    ASSERT_NE(nullptr, built);
    built->errstat = 3;
    built->errindex = 2;
    Pdu received;
    NetSnmpReadPdu(*built, received);
    snmp_free_pdu(built);

    ASSERT_EQ(sent.get_vb_count(), received.get_vb_count());
    EXPECT_EQ(3, received.get_error_status());
    EXPECT_EQ(2, received.get_error_index());
    for (int i = 0; i < sent.get_vb_count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sent.vb_at(i)->get_oid(), received.vb_at(i)->get_oid());
        EXPECT_EQ(sent.vb_at(i)->get_syntax(), received.vb_at(i)->get_syntax());
        EXPECT_STREQ(sent.vb_at(i)->get_printable_value(), received.vb_at(i)->get_printable_value());
    }
    OctetStr octets;
    ASSERT_EQ(SNMP_CLASS_SUCCESS, received.vb_at(5)->get_value(octets));
    EXPECT_EQ(4UL, octets.len());
}

TEST(SnmplibConvertTest, GetAndGetNextSendNoValues)
{
    Pdu pdu;
    Vb vb{Oid("1.3.6.1.2.1.1.5.0")};
    vb.set_value(42L);
    pdu += vb;
    int result = -1;
    netsnmp_pdu* built = NetSnmpMakePdu(pdu, SNMP_MSG_GETNEXT, &result);
    ASSERT_NE(nullptr, built);
    ASSERT_NE(nullptr, built->variables);
    EXPECT_EQ(ASN_NULL, built->variables->type);
    snmp_free_pdu(built);
}

// Lengths that do not fit the type come from a peer that cannot be trusted:
// the value is dropped, nothing is read past what arrived.
TEST(SnmplibConvertTest, ValuesWhoseLengthDoesNotFitTheirTypeBecomeNull)
{
    const oid name[] = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    u_char bytes[16] = {10, 0, 0, 1, 5, 6, 7, 8};
    struct Case {
        u_char type;
        size_t length;
    } cases[] = {{ASN_IPADDRESS, 3}, {ASN_IPADDRESS, 5}, {ASN_COUNTER64, 8}, {ASN_INTEGER, 2}, {ASN_COUNTER, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        netsnmp_pdu* response = snmp_pdu_create(SNMP_MSG_RESPONSE);
        snmp_pdu_add_variable(response, name, OID_LENGTH(name), ASN_OCTET_STR, bytes, sizeof bytes);
        netsnmp_variable_list* v = response->variables;
        v->type = c.type;
        v->val_len = c.length;
        Pdu received;
        NetSnmpReadPdu(*response, received);
        snmp_free_pdu(response);
        ASSERT_EQ(1, received.get_vb_count());
        EXPECT_EQ(static_cast<SmiUINT32>(sNMP_SYNTAX_NULL), received.vb_at(0)->get_syntax());
    }
}

}  // namespace
