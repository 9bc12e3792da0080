// Values read from Net-SNMP's own agent through the library adapter and shown
// by the framework's conversions, checked against what Net-SNMP's snmpget
// prints for the same objects.

#include "snmpfw/SnmpRequest.h"
#include "snmpfw/ValueConversion.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/SharedAgentTest.h"
#include "tests/support/SnmpdAgent.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace {

const char* const kSysDescr = "1.3.6.1.2.1.1.1.0";
const char* const kSysObjectId = "1.3.6.1.2.1.1.2.0";
const char* const kSysUpTime = "1.3.6.1.2.1.1.3.0";
const char* const kIfPhysAddressColumn = "1.3.6.1.2.1.2.2.1.6";
const char* const kIfInOctetsColumn = "1.3.6.1.2.1.2.2.1.10";
const char* const kIpAdEntAddrColumn = "1.3.6.1.2.1.4.20.1.1";
const char* const kHrSystemDate = "1.3.6.1.2.1.25.1.2.0";

// What snmpget printed after "= ": its type word and the value text.
struct ToolValue {
    std::string type;
    std::string value;
};

ToolValue ParseToolLine(const std::string& line)
{
    ToolValue v;
    const size_t equals = line.find(" = ");
    if (equals == std::string::npos)
        return v;
    const std::string rest = line.substr(equals + 3);
    const size_t colon = rest.find(": ");
    if (colon == std::string::npos) {
        v.value = rest;  // an empty string prints as ""
        return v;
    }
    v.type = rest.substr(0, colon);
    v.value = rest.substr(colon + 2);
    return v;
}

std::string WithoutBlanks(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

// snmpget puts a STRING between double quotes.
std::string Unquoted(const std::string& text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// The octets of a Hex-STRING, or of a STRING that snmpget found printable.
std::string ToolOctetsAsHex(const ToolValue& v)
{
    if (v.type == "Hex-STRING")
        return WithoutBlanks(v.value);
    const std::string text = Unquoted(v.value);
    const CString hex =
        OctetsToHexText(reinterpret_cast<const unsigned char*>(text.data()), static_cast<unsigned long>(text.size()));
    return std::string(static_cast<const char*>(hex));
}

unsigned long ParseHundredths(const char* duration)
{
    unsigned long days = 0, h = 0, m = 0, s = 0, cs = 0;
    if (std::sscanf(duration, "%lu days, %lu:%lu:%lu.%lu", &days, &h, &m, &s, &cs) == 5)
        return (((days * 24 + h) * 60 + m) * 60 + s) * 100 + cs;
    if (std::sscanf(duration, "1 day %lu:%lu:%lu.%lu", &h, &m, &s, &cs) == 4)
        return ((((24 + h) * 60) + m) * 60 + s) * 100 + cs;
    if (std::sscanf(duration, "%lu:%lu:%lu.%lu", &h, &m, &s, &cs) == 4)
        return ((h * 60 + m) * 60 + s) * 100 + cs;
    return 0;
}

// Seconds since the epoch of "year-month-day,hour:minutes:seconds.deci" read
// as local broken-down time; -1 when the text is not of that form.
time_t DateTextSeconds(const std::string& text)
{
    struct tm t = {};
    int deci = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d,%d:%d:%d.%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec, &deci) != 7)
        return -1;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    return timegm(&t);
}

time_t HexDateSeconds(const std::string& hex)
{
    if (hex.size() < 16)
        return -1;
    unsigned int o[8];
    for (int i = 0; i < 8; ++i)
        std::sscanf(hex.substr(2 * i, 2).c_str(), "%x", &o[i]);
    char text[64];
    std::snprintf(text, sizeof text, "%u-%u-%u,%u:%u:%u.%u", o[0] * 256 + o[1], o[2], o[3], o[4], o[5], o[6], o[7]);
    return DateTextSeconds(text);
}

class AgentValuesTest : public krwtest::CSharedAgentTest {
protected:
    static void SetUpTestSuite()
    {
        CSharedAgentTest::SetUpTestSuite();
        int status = SNMP_CLASS_ERROR;
        snmp = new Snmp(status);
        snmpStatus = status;
    }

    static void TearDownTestSuite()
    {
        delete snmp;
        snmp = nullptr;
        CSharedAgentTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CSharedAgentTest::SetUp());
        ASSERT_EQ(SNMP_CLASS_SUCCESS, snmpStatus);
    }

    static bool Fetch(const std::string& oid, Vb& out, bool next = false)
    {
        CTarget target(UdpAddress("127.0.0.1:" + std::to_string(agent->Port())));
        target.set_version(version2c);
        target.set_readcommunity(krwtest::CSnmpdAgent::kReadCommunity);
        target.set_timeout(200);
        target.set_retry(1);
        Pdu pdu;
        pdu += Vb(Oid(oid));
        const int status = next ? snmp->get_next(pdu, target) : snmp->get(pdu, target);
        return status == SNMP_CLASS_SUCCESS && pdu.get_vb(out, 0);
    }

    // The framework's display text of the binding for an item of that syntax.
    static CString Shown(int syntax, const Vb& vb)
    {
        const CSnmpVarDef table[] = {
            {"1.3.6.1.2.1", "v", syntax, ACCESS_READONLY, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
            {nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
        };
        CSnmpVarList list(table, SVT_SV, 0);
        CSnmpRequest request;
        request.VbToText(0, vb, list);
        return *list.GetItem(0)->value;
    }

    static ToolValue Tool(const std::string& oid)
    {
        int status = -1;
        const std::string line = agent->Snmpget(oid, &status);
        EXPECT_EQ(0, status) << line;
        return ParseToolLine(line);
    }

    // The instance of the first row of a column whose value passes accept,
    // or of the first row when none does.
    template <typename Accept>
    static std::string FirstRow(const std::string& column, Accept accept)
    {
        std::string first;
        std::string at = column;
        for (int step = 0; step < 64; ++step) {
            Vb vb;
            if (!Fetch(at, vb, true))
                break;
            at = vb.get_printable_oid();
            if (at.compare(0, column.size() + 1, column + ".") != 0)
                break;
            const std::string instance = at.substr(column.size() + 1);
            if (first.empty())
                first = instance;
            if (accept(vb))
                return instance;
        }
        return first;
    }

    static Snmp* snmp;
    static int snmpStatus;
};

Snmp* AgentValuesTest::snmp = nullptr;
int AgentValuesTest::snmpStatus = SNMP_CLASS_ERROR;

TEST_F(AgentValuesTest, DisplayStringAndObjectIdentifier)
{
    Vb descr;
    ASSERT_TRUE(Fetch(kSysDescr, descr));
    const ToolValue toolDescr = Tool(kSysDescr);
    EXPECT_EQ("STRING", toolDescr.type);
    EXPECT_EQ(Unquoted(toolDescr.value), std::string(Shown(SYNTAX_DISPLAYSTR, descr)));

    Vb objectId;
    ASSERT_TRUE(Fetch(kSysObjectId, objectId));
    const ToolValue toolId = Tool(kSysObjectId);
    ASSERT_EQ("OID", toolId.type);
    ASSERT_EQ('.', toolId.value[0]);
    EXPECT_EQ(toolId.value.substr(1), std::string(Shown(SYNTAX_OBJECTID, objectId)));
}

TEST_F(AgentValuesTest, TimeTicksAsTheAgentsDurationText)
{
    const ToolValue tool = Tool(kSysUpTime);  // read first: ours may only be later
    ASSERT_EQ("Timeticks", tool.type);
    unsigned long toolTicks = 0;
    ASSERT_EQ(1, std::sscanf(tool.value.c_str(), "(%lu)", &toolTicks)) << tool.value;
    const std::string toolText = tool.value.substr(tool.value.find(") ") + 2);

    Vb same;
    same.set_value(TimeTicks(toolTicks));
    EXPECT_EQ(toolText, std::string(Shown(SYNTAX_TIMETICKS, same)));

    Vb upTime;
    ASSERT_TRUE(Fetch(kSysUpTime, upTime));
    const unsigned long ours = ParseHundredths(Shown(SYNTAX_TIMETICKS, upTime));
    EXPECT_GE(ours, toolTicks);
    EXPECT_LT(ours - toolTicks, 6000UL);
}

TEST_F(AgentValuesTest, InterfaceAddressAndCounter)
{
    const std::string row = FirstRow(kIfPhysAddressColumn, [](const Vb& vb) {
        OctetStr octets;
        return vb.get_value(octets) == SNMP_CLASS_SUCCESS && octets.len() > 0;
    });
    ASSERT_FALSE(row.empty()) << "the agent lists no interface";

    const std::string phys = std::string(kIfPhysAddressColumn) + "." + row;
    Vb address;
    ASSERT_TRUE(Fetch(phys, address));
    EXPECT_EQ(ToolOctetsAsHex(Tool(phys)), std::string(Shown(SYNTAX_MACADDRESS, address)));

    const std::string inOctets = std::string(kIfInOctetsColumn) + "." + row;
    const ToolValue tool = Tool(inOctets);
    ASSERT_EQ("Counter32", tool.type);
    Vb counter;
    ASSERT_TRUE(Fetch(inOctets, counter));
    const unsigned long toolCount = std::stoul(tool.value);
    const unsigned long ours = std::stoul(std::string(Shown(SYNTAX_COUNTER, counter)));
    EXPECT_GE(ours, toolCount);
    EXPECT_LT(ours - toolCount, 10000000UL);
}

TEST_F(AgentValuesTest, IpAddressOfTheAddressTable)
{
    const std::string row = FirstRow(kIpAdEntAddrColumn, [](const Vb&) { return true; });
    ASSERT_FALSE(row.empty()) << "the agent lists no address";
    const std::string oid = std::string(kIpAdEntAddrColumn) + "." + row;
    Vb address;
    ASSERT_TRUE(Fetch(oid, address));
    const ToolValue tool = Tool(oid);
    ASSERT_EQ("IpAddress", tool.type);
    EXPECT_EQ(tool.value, std::string(Shown(SYNTAX_IPADDRESS, address)));
    EXPECT_EQ(row, tool.value);  // the row's instance is the address itself
}

TEST_F(AgentValuesTest, SystemDateAsDateAndTime)
{
    const ToolValue tool = Tool(kHrSystemDate);
    ASSERT_EQ("Hex-STRING", tool.type) << tool.value;
    const time_t toolSeconds = HexDateSeconds(WithoutBlanks(tool.value));
    ASSERT_GE(toolSeconds, 0) << tool.value;

    Vb date;
    ASSERT_TRUE(Fetch(kHrSystemDate, date));
    const time_t ours = DateTextSeconds(std::string(Shown(SYNTAX_DATETIME, date)));
    EXPECT_GE(ours, toolSeconds);
    EXPECT_LT(ours - toolSeconds, 60);
}

}  // namespace
