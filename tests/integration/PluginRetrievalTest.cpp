// Client-list retrievals through the loaded plug-in, against simulated
// access points: what the host's callback receives, and when.

#include "tests/support/FreePort.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/PluginTest.h"
#include "tests/support/ScriptedResponder.h"

#include <gtest/gtest.h>

namespace {

using krwtest::CApSimAgent;
using krwtest::CRecordedClient;
using krwtest::CRecordedReport;
using krwtest::SampleClients;

const char kOk[] = "(VaZARO++) Ok!";
const char kModel[] = "KRW-6180";
const char kTimedOut[] = "(SNMPClass) SNMP request timed out!";

void ExpectSuccess(const CRecordedReport& report, const char* address, const std::vector<CRecordedClient>& clients);

class PluginRetrievalTest : public krwtest::CPluginTest {
protected:
    // One retrieval of 127.0.0.1 on port; its reports once the plug-in has
    // been unloaded, which waits for everything still outstanding.
    std::vector<CRecordedReport> RetrieveAndUnload(int32_t port, int32_t timeout = 100, const char* read = "public",
                                                   const char* write = "private")
    {
        host.SetParameters(read, write, port, timeout);
        host.Retrieve("127.0.0.1", 7);
        host.WaitForReports(1);
        host.Unload();
        return host.reports;
    }

    // Retrieval 2, on port, is the only one to report, with the sample clients.
    void ExpectTheNextRetrievalToReportAll(int32_t port, int32_t timeout)
    {
        host.SetParameters("public", "private", port, timeout);
        host.Retrieve("127.0.0.1", 2);
        ASSERT_TRUE(host.WaitForReports(1));
        host.Unload();
        ASSERT_EQ(1u, host.reports.size());
        EXPECT_EQ(2u, host.reports[0].context);
        ExpectSuccess(host.reports[0], "127.0.0.1", SampleClients("2.4GHz"));
    }

    // The plug-in loaded (again, after a case unloaded it), no report yet.
    void LoadAgain()
    {
        std::string error;
        ASSERT_TRUE(host.Loaded() || host.Load(&error)) << error;
        host.reports.clear();
    }

    // krw6180-apsim with these options or, without any, the scripted
    // responder with its script, kept until the next; its port, 0 when it
    // did not start.
    int32_t StartAgent(const std::vector<std::string>& apsim, const std::vector<std::string>& script)
    {
        agent.reset();
        responder.reset();
        if (!apsim.empty()) {
            agent = StartApSim(apsim);
            return agent ? agent->Port() : 0;
        }
        responder = std::make_unique<krwtest::CScriptedResponder>(script);
        std::string error;
        return responder->Start(&error) ? responder->Port() : 0;
    }

    std::unique_ptr<CApSimAgent> agent;
    std::unique_ptr<krwtest::CScriptedResponder> responder;
};

void ExpectSuccess(const CRecordedReport& report, const char* address, const std::vector<CRecordedClient>& clients)
{
    EXPECT_EQ(0, report.status);
    EXPECT_EQ(kOk, report.message);
    EXPECT_EQ(address, report.address);
    EXPECT_EQ(kModel, report.model);
    EXPECT_FALSE(report.synchronous);
    EXPECT_EQ(static_cast<int>(clients.size()), report.count);
    EXPECT_EQ(clients.empty(), report.entriesNull);
    EXPECT_EQ(clients, report.clients);
}

void ExpectFailure(const CRecordedReport& report, const std::string& message, const std::string& address)
{
    EXPECT_EQ(1, report.status);
    EXPECT_EQ(message, report.message);
    EXPECT_EQ(address, report.address);
    EXPECT_EQ(kModel, report.model);
    EXPECT_EQ(0, report.count);
    EXPECT_TRUE(report.entriesNull);
}

std::vector<CRecordedClient> Without(std::vector<CRecordedClient> clients, size_t index)
{
    clients.erase(clients.begin() + static_cast<long>(index));
    return clients;
}

// The sample clients with the cells of rows (from 0) that the agent leaves out.
std::vector<CRecordedClient> WithHoles(const std::vector<size_t>& rows, bool ssidIndex, bool allButMac = false)
{
    std::vector<CRecordedClient> clients = SampleClients("2.4GHz");
    for (size_t row : rows) {
        if (ssidIndex)
            clients[row].ssidIndex.clear();
        if (allButMac)
            clients[row] = {"2.4GHz", clients[row].macAddress, "", 0, "", ""};
    }
    return clients;
}

// The clients of the scripted responder's table of rows rows.
std::vector<CRecordedClient> ResponderClients(int rows, const std::string& band)
{
    std::vector<CRecordedClient> clients;
    for (int row = 1; row <= rows; ++row) {
        char mac[13];
        snprintf(mac, sizeof mac, "02%010X", row);
        clients.push_back({band, mac, "OPEN", 1, "On", "1"});
    }
    return clients;
}

TEST_F(PluginRetrievalTest, ReportsListTheClientsOfTheTableOnce)
{
    const std::string twins = WriteScratchFile("twins.csv", "0A0B0C0D0E0F,0,6,-40,0,1\n"
                                                            "0A0B0C0D0E0F,1,7,-50,1,1\n"
                                                            "0A0B0C0D0E0F,0,6,-40,0,2\n");
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<CRecordedClient> clients;
    } cases[] = {
        {"no clients", {"--generate", "0"}, {}},
        {"three clients with the access point's band", {"--band", "1"}, SampleClients("5GHz")},
        {"an all-zero MAC is no client", {"--zero-mac-row", "2"}, Without(SampleClients("2.4GHz"), 1)},
        {"a row held twice is one client", {"--repeat-row", "3"}, SampleClients("2.4GHz")},
        {"the same MAC is another client under another SSID index",
         {"--clients", twins},
         {{"2.4GHz", "0A0B0C0D0E0F", "WPA2-Personal", -40, "Off", "1"},
          {"2.4GHz", "0A0B0C0D0E0F", "WPA2-Personal", -40, "Off", "2"}}},
        // SNMPv1 answers the step past the last row with noSuchName: the last
        // row comes again, and ends the table.
        {"an SNMPv1 MIB that ends with the table", {"--end-mib-with-table"}, SampleClients("2.4GHz")},
        {"an SNMPv1 MIB that ends with an empty table", {"--end-mib-with-table", "--generate", "0"}, {}},
        {"an SNMPv1 MIB that ends with a row of an all-zero MAC",
         {"--end-mib-with-table", "--zero-mac-row", "3"},
         Without(SampleClients("2.4GHz"), 2)},
        {"an SNMPv1 MIB that ends with a row of an empty MAC",
         {"--end-mib-with-table", "--cell", "3:2:s:"},
         Without(SampleClients("2.4GHz"), 2)},
        // A column that ends first leaves the other columns their rows; a
        // missing cell is empty, the last row's too.
        {"the last row without its SSID index", {"--hole", "3:7"}, WithHoles({2}, true)},
        {"SNMPv1: the last row without its SSID index",
         {"--end-mib-with-table", "--hole", "3:7"},
         WithHoles({2}, true)},
        {"SNMPv1: the last two rows without their SSID index",
         {"--end-mib-with-table", "--hole", "2:7", "--hole", "3:7"},
         WithHoles({1, 2}, true)},
        {"SNMPv1: the last row with nothing but its MAC",
         {"--end-mib-with-table", "--hole", "3:3", "--hole", "3:4", "--hole", "3:5", "--hole", "3:6", "--hole", "3:7"},
         WithHoles({2}, false, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto agent = StartApSim(c.options);
        ASSERT_TRUE(agent);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        const std::vector<CRecordedReport> reports = RetrieveAndUnload(agent->Port());
        ASSERT_EQ(1u, reports.size());
        ExpectSuccess(reports[0], "127.0.0.1", c.clients);
        EXPECT_EQ(7u, reports[0].context);
    }
}

TEST_F(PluginRetrievalTest, AFailedRefreshIsReportedOnce)
{
    auto refusing = StartApSim({"--refresh-error", "5"});
    auto late = StartApSim({"--delay", "1500", "--generate", "0"});
    auto secret = StartApSim({"-c", "ro-secret", "-w", "rw-secret"});
    ASSERT_TRUE(refusing && late && secret);
    const struct {
        const char* what;
        int32_t port;
        int32_t timeout;
        const char* message;
        const char* write = "private";
    } cases[] = {
        {"nobody answers", krwtest::FindFreeUdpPort(), 20, kTimedOut},
        {"the agent refuses the write", refusing->Port(), 100, "(SNMP) Cannot perform operation, General Error!"},
        // Two attempts of half the budget each: 1000 ms in all, too short
        // for an answer after 1500 ms.
        {"half the budget per attempt", late->Port(), 100, kTimedOut},
        {"a budget of 1 gives attempts of 0", late->Port(), 1, kTimedOut},
        // The agent knows the read community only for reading.
        {"the set goes with the write community", secret->Port(), 100, "(SNMP) Variable does not exist!", "ro-secret"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        const std::vector<CRecordedReport> reports = RetrieveAndUnload(c.port, c.timeout, "ro-secret", c.write);
        ASSERT_EQ(1u, reports.size());
        ExpectFailure(reports[0], c.message, "127.0.0.1");
        EXPECT_FALSE(reports[0].synchronous);
    }
}

TEST_F(PluginRetrievalTest, TheStoredParametersReachEveryRequest)
{
    auto late = StartApSim({"-c", "ro-secret", "-w", "rw-secret", "--delay", "1500", "--generate", "0"});
    auto secret = StartApSim({"-c", "ro-secret", "-w", "rw-secret"});
    ASSERT_TRUE(late && secret);
    const struct {
        const char* what;
        int32_t port;
        int32_t timeout;
        size_t clients;
    } cases[] = {
        // 2 s per attempt: every answer, 1500 ms late, arrives in time.
        {"a budget of 401", late->Port(), 401, 0},
        {"the communities and only the port's low 16 bits", secret->Port() + 3 * 65536, 100, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        host.SetParameters("ro-secret", "rw-secret", c.port, c.timeout);
        host.Retrieve("127.0.0.1", 7);
        ASSERT_TRUE(host.WaitForReports(1));
        EXPECT_EQ(0, host.reports[0].status) << host.reports[0].message;
        EXPECT_EQ(c.clients, host.reports[0].clients.size());
        host.Unload();
    }
}

TEST_F(PluginRetrievalTest, ARetrievalThatCannotStartReportsBeforeItReturns)
{
    // None of these is asked of the resolver but the name that does not resolve.
    const std::string addresses[] = {
        "no-such-host.invalid", "", std::string(10000, '7'), "caf\xc3\xa9.example", "256.1.1.1", "1.2.3", "::1",
        "2001:db8::1"};
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address.substr(0, 40));
        host.reports.clear();
        host.SetParameters("public", "private", 161, 100);
        host.Retrieve(address.c_str(), 99);
        ASSERT_EQ(1u, host.reports.size());
        const CRecordedReport& report = host.reports[0];
        EXPECT_TRUE(report.synchronous);
        ExpectFailure(report, "(VaZARO++) Invalid IP Address or DNS name!", address);
        EXPECT_EQ(99u, report.context);
    }
    host.reports.clear();
    host.Retrieve(nullptr, 98);
    ASSERT_EQ(1u, host.reports.size());
    ExpectFailure(host.reports[0], "(VaZARO++) Invalid IP Address or DNS name!", "");
}

// Parameters no access point would accept still end in one report each; a
// port is taken by its low 16 bits, and the longest time budget still lets
// answers in.
TEST_F(PluginRetrievalTest, HostileParametersEndInOneReportEach)
{
    auto agent = StartApSim({});
    ASSERT_TRUE(agent);
    const std::string binary = [] {
        std::string text;
        for (int c = 1; c < 256; ++c)
            text += static_cast<char>(c);
        return text;
    }();
    const struct {
        const char* what;
        std::string read;
        std::string write;
        int32_t port;
        int32_t timeout;
        int status;
    } cases[] = {
        {"empty communities", "", "", agent->Port(), 20, 1},
        {"communities of 10,000 characters", std::string(10000, 'c'), std::string(10000, 'w'), agent->Port(), 20, 1},
        {"binary communities", binary, binary, agent->Port(), 20, 1},
        {"port -1 is 65535", "public", "private", -1, 20, 1},
        {"port 2^31-1 is 65535", "public", "private", 2147483647, 20, 1},
        {"a budget of 0xFFFFFFFF", "public", "private", agent->Port(), -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        host.SetParameters(c.read.c_str(), c.write.c_str(), c.port, c.timeout);
        host.Retrieve("127.0.0.1", 3);
        ASSERT_TRUE(host.WaitForReports(1));
        host.Unload();
        ASSERT_EQ(1u, host.reports.size());
        EXPECT_EQ(c.status, host.reports[0].status) << host.reports[0].message;
        EXPECT_EQ(c.status == 0 ? 3u : 0u, host.reports[0].clients.size());
    }
}

TEST_F(PluginRetrievalTest, BeforeAnyParametersARetrievalUsesPortZeroAndNoTime)
{
    host.Retrieve("127.0.0.1", 5);
    ASSERT_TRUE(host.WaitForReports(1));
    host.Unload();
    ASSERT_EQ(1u, host.reports.size());
    EXPECT_EQ(1, host.reports[0].status);
    EXPECT_EQ(0, host.reports[0].count);
    // Nothing can be sent to port 0.
    EXPECT_EQ("(SNMPClass) Transport operation failed!", host.reports[0].message);
    EXPECT_TRUE(host.reports[0].synchronous);
}

// Two access points on one simulated device; the second retrieval brings
// another callback, which then receives both reports.
TEST_F(PluginRetrievalTest, RetrievalsOfTwoAccessPointsReportToTheLastCallback)
{
    auto agent = StartApSim({"--addresses", "2"});
    ASSERT_TRUE(agent);
    host.SetParameters("public", "private", agent->Port(), 100);
    host.Retrieve("127.0.0.1", 11, 0, 0);
    host.Retrieve("127.0.0.2", 22, 1, 0xFFFFFFFFu);
    ASSERT_TRUE(host.WaitForReports(2));
    for (const CRecordedReport& report : host.reports) {
        EXPECT_EQ(1, report.callback);
        const bool first = report.context == 11u;
        EXPECT_EQ(first ? 11u : 22u, report.context);
        ExpectSuccess(report, first ? "127.0.0.1" : "127.0.0.2", SampleClients("2.4GHz"));
    }
    EXPECT_NE(host.reports[0].context, host.reports[1].context);
}

// The first walk to reach the end reports what both have collected; the
// other reports only what it collected after that.
TEST_F(PluginRetrievalTest, TwoRetrievalsOfOneAccessPointShareTheirClients)
{
    auto agent = StartApSim({});
    ASSERT_TRUE(agent);
    host.SetParameters("public", "private", agent->Port(), 100);
    host.Retrieve("127.0.0.1", 1);
    host.Retrieve("127.0.0.1", 2);
    ASSERT_TRUE(host.WaitForReports(2));
    const std::vector<CRecordedClient> all = SampleClients("2.4GHz");
    ExpectSuccess(host.reports[0], "127.0.0.1", all);
    const std::vector<CRecordedClient>& rest = host.reports[1].clients;
    ASSERT_LE(rest.size(), all.size());
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), all.end() - static_cast<long>(rest.size())));
    EXPECT_NE(host.reports[0].context, host.reports[1].context);
}

// A walk that fails part-way ends in one report of why, without clients,
// and leaves nothing behind: the next retrieval of the address (another
// agent, with one client) reports its own client only.
TEST_F(PluginRetrievalTest, AWalkThatFailsPartWayIsReportedOnceAndLeavesNothing)
{
    const std::string one = WriteScratchFile("one.csv", "A0B1C2D3E4F5,0,7,-61,1,2\n");
    auto next = StartApSim({"--clients", one});
    ASSERT_TRUE(next);
    const struct {
        const char* what;
        std::vector<std::string> apsim;      // empty: the scripted responder
        std::vector<std::string> responder;  // its script
        const char* message;
        int32_t timeout = 200;
    } cases[] = {
        {"the agent falls silent after two rows", {"--stop-after", "2"}, {}, kTimedOut, 20},
        // Requests 0 to 4: the refresh, two rows and their band reads.
        {"the agent answers a step with an error",
         {},
         {"--rows", "3", "--error-status", "5", "--error-from", "5"},
         "(SNMP) Cannot perform operation, General Error!"},
        {"noSuchName that names no binding",
         {},
         {"--rows", "3", "--error-status", "2", "--error-index", "9", "--error-from", "3"},
         "(SNMP) Variable does not exist!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t port = StartAgent(c.apsim, c.responder);
        ASSERT_NE(0, port);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        host.SetParameters("public", "private", port, c.timeout);
        host.Retrieve("127.0.0.1", 1);
        ASSERT_TRUE(host.WaitForReports(1));
        ExpectFailure(host.reports[0], c.message, "127.0.0.1");
        EXPECT_EQ(1u, host.reports[0].context);
        host.SetParameters("public", "private", next->Port(), 100);
        host.Retrieve("127.0.0.1", 2);
        ASSERT_TRUE(host.WaitForReports(2));
        host.Unload();
        ASSERT_EQ(2u, host.reports.size());
        ExpectSuccess(host.reports[1], "127.0.0.1", {SampleClients("2.4GHz")[1]});
    }
}

// A report takes the clients it lists along: the next retrieval of the
// address, from an agent that has one client now, reports that one only.
TEST_F(PluginRetrievalTest, AReportLeavesNothingToTheNextRetrieval)
{
    auto agent = StartApSim({});
    const std::string one = WriteScratchFile("one.csv", "A0B1C2D3E4F5,0,7,-61,1,2\n");
    auto fewer = StartApSim({"--clients", one});
    ASSERT_TRUE(agent && fewer);
    host.SetParameters("public", "private", agent->Port(), 100);
    host.Retrieve("127.0.0.1", 1);
    ASSERT_TRUE(host.WaitForReports(1));
    host.SetParameters("public", "private", fewer->Port(), 100);
    host.Retrieve("127.0.0.1", 2);
    ASSERT_TRUE(host.WaitForReports(2));
    ExpectSuccess(host.reports[0], "127.0.0.1", SampleClients("2.4GHz"));
    ExpectSuccess(host.reports[1], "127.0.0.1", {SampleClients("2.4GHz")[1]});
}

// 127.0.0.1 keeps its first band answer back until 127.0.0.2 has been asked
// twice more. A band read that held the thread would wait for that in vain
// and time out, and the first client would have no band.
TEST_F(PluginRetrievalTest, ABandReadNeverHoldsUpAnotherAccessPoint)
{
    krwtest::CScriptedResponder agent({"--addresses", "2", "--rows", "3", "--hold-first-get"});
    std::string error;
    ASSERT_TRUE(agent.Start(&error)) << error;
    host.SetParameters("public", "private", agent.Port(), 100);
    host.Retrieve("127.0.0.1", 1);
    host.Retrieve("127.0.0.2", 2);
    ASSERT_TRUE(host.WaitForReports(2));
    for (const CRecordedReport& report : host.reports)
        ExpectSuccess(report, report.context == 1 ? "127.0.0.1" : "127.0.0.2", ResponderClients(3, "5GHz"));
}

// A walk that fails beside another of the same address leaves the other the
// clients both have collected: it reports every client of the table.
TEST_F(PluginRetrievalTest, AFailedWalkLeavesAnotherWalkOfTheAddressItsClients)
{
    auto slow = StartApSim({"--delay", "100"});
    auto stopping = StartApSim({"--stop-after", "2"});
    ASSERT_TRUE(slow && stopping);
    host.SetParameters("public", "private", slow->Port(), 400);
    host.Retrieve("127.0.0.1", 1);
    // It fails after 600 ms, when the other has collected some of its rows.
    host.SetParameters("public", "private", stopping->Port(), 60);
    host.Retrieve("127.0.0.1", 2);
    ASSERT_TRUE(host.WaitForReports(2));
    for (const CRecordedReport& report : host.reports) {
        if (report.context == 2)
            ExpectFailure(report, kTimedOut, "127.0.0.1");
        else
            ExpectSuccess(report, "127.0.0.1", SampleClients("2.4GHz"));
    }
}

// A host that sets other parameters between two retrievals, and again while
// both run: each retrieval sends every request (the refresh, the steps, the
// band reads) to its own access point with the parameters it started with.
TEST_F(PluginRetrievalTest, EachRetrievalKeepsTheParametersItStartedWith)
{
    const std::string one = WriteScratchFile("one.csv", "A0B1C2D3E4F5,0,7,-61,1,2\n");
    auto first = StartApSim({"-c", "ro-a", "-w", "rw-a", "--delay", "30", "--log-requests"});
    // Both answer late, so that the two retrievals' requests interleave.
    auto second = StartApSim({"-c", "ro-b", "-w", "rw-b", "--band", "1", "--clients", one, "--addresses", "2",
                              "--delay", "45", "--log-requests"});
    ASSERT_TRUE(first && second);
    host.SetParameters("ro-a", "rw-a", first->Port(), 100);
    host.Retrieve("127.0.0.1", 1);
    host.SetParameters("ro-b", "rw-b", second->Port(), 100);
    host.Retrieve("127.0.0.2", 2);
    host.SetParameters("wrong", "wrong", 0, 1);
    ASSERT_TRUE(host.WaitForReports(2));
    for (const CRecordedReport& report : host.reports) {
        if (report.context == 1)
            ExpectSuccess(report, "127.0.0.1", SampleClients("2.4GHz"));
        else
            ExpectSuccess(report, "127.0.0.2", {SampleClients("5GHz")[1]});
    }
    // On the wire: the refresh, a step per row and one past the last, and a
    // band read for each step.
    for (const auto& [agent, rows] : {std::make_pair(first.get(), 3), std::make_pair(second.get(), 1)}) {
        EXPECT_EQ(1, agent->Logged("request set"));
        EXPECT_EQ(rows + 1, agent->Logged("request get-next"));
        EXPECT_EQ(rows + 1, agent->Logged("request get "));
    }
}

// A band read has half the budget, as every request of a retrieval has: the
// band, 6 s late, comes after both its attempts of 2 s have ended (attempts
// of the whole budget would end after 8 s).
TEST_F(PluginRetrievalTest, ABandReadHasHalfTheBudgetPerAttempt)
{
    krwtest::CScriptedResponder agent({"--rows", "1", "--get-delay", "6000"});
    std::string error;
    ASSERT_TRUE(agent.Start(&error)) << error;
    const std::vector<CRecordedReport> reports = RetrieveAndUnload(agent.Port(), 400);
    ASSERT_EQ(1u, reports.size());
    ExpectSuccess(reports[0], "127.0.0.1", ResponderClients(1, ""));
}

const char kRefreshOid[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1";
const char kFirstMacOid[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.2.1";
const char kBandOid[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1";

// Agents that misbehave, each with one report: what arrived, exactly, or the
// failure. Walks that do not go forward end.
TEST_F(PluginRetrievalTest, MisbehavingAgentsEndInOneReport)
{
    const std::string longSsid(255, 's');
    std::vector<CRecordedClient> odd = SampleClients("2.4GHz");
    odd[0].macAddress = "0102030405";
    odd[0].ssidIndex = "caf\xe9";
    odd[1].rssi = 0;
    odd[1].ssidIndex = longSsid;
    odd[2].ssidIndex = "";
    const struct {
        const char* what;
        std::vector<std::string> apsim;      // empty: the scripted responder
        std::vector<std::string> responder;  // its script
        int status;
        std::string message;
        std::vector<CRecordedClient> clients;
    } cases[] = {
        {"every answer twice", {"--copies", "2"}, {}, 0, kOk, SampleClients("2.4GHz")},
        {"a MAC of five octets, an RSSI that is text, SSID indexes of 0 and 255 octets and Latin-1",
         {"--cell", "1:2:x:0102030405", "--cell", "2:5:s:strong", "--cell", "3:7:s:", "--cell", "1:7:x:636166E9",
          "--cell", "2:7:s:" + longSsid},
         {},
         0,
         kOk,
         odd},
        {"the identifier asked for comes back", {}, {}, 0, kOk, {}},
        // The first row, every binding named as its MAC cell and holding a
        // number, is a client without a MAC value; the next answer goes back.
        {"an identifier before the one asked for",
         {},
         {"--answer-oids", kRefreshOid, "--answer-oids", kFirstMacOid, "--answer-oids", kBandOid, "--answer-oids",
          "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.2.0"},
         0,
         kOk,
         {{"5GHz", "(NULL)", "", 0, "", ""}}},
        {"a report", {}, {"--report", "1.3.6.1.6.3.15.1.1.2.0"}, 1, "(SNMPv3USM) Message not in TimeWindow!", {}},
        {"an error status beyond the protocol's",
         {},
         {"--error-status", "99"},
         1,
         "(SNMP) Cannot perform operation, General Error!",
         {}},
        {"band reads that are never answered", {}, {"--rows", "3", "--silent-gets"}, 0, kOk, ResponderClients(3, "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t port = StartAgent(c.apsim, c.responder);
        ASSERT_NE(0, port);
        ASSERT_NO_FATAL_FAILURE(LoadAgain());
        const std::vector<CRecordedReport> reports = RetrieveAndUnload(port, 40);
        ASSERT_EQ(1u, reports.size());
        if (c.status == 0)
            ExpectSuccess(reports[0], "127.0.0.1", c.clients);
        else
            ExpectFailure(reports[0], c.message, "127.0.0.1");
    }
}

// Answers that come after the time-out reach nothing: the next retrieval
// reports its clients once.
TEST_F(PluginRetrievalTest, LateAnswersDoNotReachALaterRetrieval)
{
    auto late = StartApSim({"--delay", "300", "--log-requests"});
    ASSERT_TRUE(late);
    host.SetParameters("public", "private", late->Port(), 20);
    host.Retrieve("127.0.0.1", 1);
    ASSERT_TRUE(host.WaitForReports(1));
    ExpectFailure(host.reports[0], kTimedOut, "127.0.0.1");
    host.reports.clear();
    ExpectTheNextRetrievalToReportAll(late->Port(), 200);
}

}  // namespace
