#include "common/QvErrors.h"
#include "common/QvException.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/SnmpSession.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/ApSimAgent.h"
#include "tests/support/FreePort.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedResponder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// The request engine against agents: krw6180-apsim (three sample clients
// unless told otherwise) and the scripted responder for what an agent
// library will not do.
namespace {

using krwtest::StartApSim;

const char kColumn[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1";
const char kBand[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1";
const char kRefresh[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1";
const UINT kGenerousMs = 20000;
const std::vector<std::string> kSampleMacs = {"000D88123456", "A0B1C2D3E4F5", "0C8BFD0A1B2C"};

// What the completions of one asynchronous request chain delivered.
struct CWalk {
    std::vector<std::vector<std::string>> rows;
    int completions = 0;
    bool done = false;
    int code = 0;
    CString message;
    std::vector<std::string> last;  // the list of the final completion
    std::vector<std::string> lastInstances;
    CSnmpRequest* request = nullptr;
    unsigned short port = 0;  // when set, each step goes there: walks that share a request object
    bool taking = false;      // each step takes the row delivered instead of the object's list
};

// The walks in progress, by the userData of their requests.
CWalk* g_walks[2] = {};

std::vector<std::string> Values(const CSnmpVarList& list)
{
    std::vector<std::string> values;
    for (int i = 0; i < list.count; ++i)
        values.emplace_back(static_cast<const char*>(*list.GetItem(i)->value));
    return values;
}

std::vector<std::string> Instances(const CSnmpVarList& list)
{
    std::vector<std::string> instances;
    for (int i = 0; i < list.count; ++i)
        instances.emplace_back(static_cast<const char*>(*list.GetItem(i)->instance));
    return instances;
}

// A walk's completion: keeps the row and asks for the next, as the caller
// of a table walk does.
void OnStep(CSnmpResult* result, CSnmpVarList* list, DWORD which)
{
    CWalk& walk = *g_walks[which];
    ++walk.completions;
    walk.code = result->code;
    walk.message = result->message;
    walk.last = Values(*list);
    walk.lastInstances = Instances(*list);
    if (result->done) {
        walk.done = true;
        return;
    }
    walk.rows.push_back(Values(*list));
    if (walk.taking) {
        walk.request->AsyncGet(std::move(*list), OnStep, FALSE, which);
        return;
    }
    walk.request->varList = *list;
    if (walk.port != 0)
        walk.request->targetParams.port = walk.port;
    walk.request->AsyncGet(OnStep, FALSE, which);
}

class RequestEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = krwtest::MakeScratchFolder("krw-request-engine-");
        ASSERT_FALSE(folder.empty());
        try {
            CSnmpSession::Start(CString(folder.c_str()), CString(""));
        } catch (CQVException* e) {
            ADD_FAILURE() << static_cast<const char*>(e->GetText());
            e->Delete();
        }
        g_walks[0] = &walk;
    }

    void TearDown() override
    {
        request.reset();
        CSnmpSession::Stop();
        krwtest::RemoveScratchFolder(folder);
        g_walks[0] = nullptr;
        g_walks[1] = nullptr;
    }

    std::unique_ptr<krwtest::CScriptedResponder> StartResponder(std::vector<std::string> script)
    {
        auto responder = std::make_unique<krwtest::CScriptedResponder>(std::move(script));
        std::string error;
        EXPECT_TRUE(responder->Start(&error)) << error;
        return responder;
    }

    // A request object for the agent, its list built from the given columns.
    CSnmpRequest& Request(unsigned short port, const std::vector<std::pair<std::string, int>>& variables, int itemType,
                          int keyCount = 0, int version = 1, int timeout = 100, int retries = 1)
    {
        request = std::make_unique<CSnmpRequest>();
        oids.clear();
        definitions.clear();
        for (const auto& v : variables)
            oids.push_back(v.first);
        for (size_t i = 0; i < variables.size(); ++i)
            definitions.push_back({oids[i].c_str(), "item", variables[i].second, ACCESS_READWRITE, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr});
        definitions.push_back({});
        request->varList = CSnmpVarList(definitions.data(), itemType, keyCount);
        request->targetParams.address = "127.0.0.1";
        request->targetParams.port = port;
        request->targetParams.version = version;
        request->targetParams.readCommunity = "public";
        request->targetParams.writeCommunity = "private";
        request->targetParams.timeout = timeout;
        request->targetParams.retries = retries;
        walk.request = request.get();
        return *request;
    }

    // The client table's MAC and SSID columns.
    CSnmpRequest& ClientTable(unsigned short port, int version = 1, int timeout = 100)
    {
        return Request(
            port, {{std::string(kColumn) + ".2", SYNTAX_MACADDRESS}, {std::string(kColumn) + ".7", SYNTAX_DISPLAYSTR}},
            MVT_UMV, 0, version, timeout);
    }

    void WalkAsync()
    {
        request->AsyncGet(OnStep, TRUE, 0);
        ASSERT_TRUE(krwtest::RunMessagesUntil([this] { return walk.done; }, kGenerousMs));
    }

    std::vector<std::vector<std::string>> WalkBlocking()
    {
        std::vector<std::vector<std::string>> rows;
        for (BOOL more = request->Get(TRUE); more; more = request->Get(FALSE))
            rows.push_back(Values(request->varList));
        return rows;
    }

    std::string folder;
    std::vector<std::string> oids;
    std::vector<CSnmpVarDef> definitions;
    std::unique_ptr<CSnmpRequest> request;
    CWalk walk;
};

TEST_F(RequestEngineTest, WalksDeliverEveryRowAndEndAfterTheLast)
{
    const struct {
        const char* what;
        std::vector<std::string> options;
        int version;
        size_t rows;
    } cases[] = {
        {"an object after the table", {}, 1, 3},
        {"no clients", {"--generate", "0"}, 1, 0},
        {"SNMPv1 end of MIB", {"--end-mib-with-table"}, 0, 3},
        {"SNMPv1 end of MIB at the first step", {"--end-mib-with-table", "--generate", "0"}, 0, 0},
        {"SNMPv2c end of MIB", {"--end-mib-with-table"}, 1, 3},
        {"a hole in one column", {"--hole", "2:7"}, 1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto agent = StartApSim(c.options);
        walk = CWalk();
        ClientTable(agent->Port(), c.version);
        ASSERT_NO_FATAL_FAILURE(WalkAsync());
        EXPECT_EQ(QV_OK, walk.code) << static_cast<const char*>(walk.message);
        ASSERT_EQ(c.rows, walk.rows.size());
        EXPECT_EQ(static_cast<int>(c.rows) + 1, walk.completions);
        for (size_t r = 0; r < c.rows; ++r)
            EXPECT_EQ(kSampleMacs[r], walk.rows[r][0]) << r;
        // Every column of the final list has ended.
        EXPECT_EQ(std::vector<std::string>(2, kNotDoneText), walk.last);
        ClientTable(agent->Port(), c.version);
        EXPECT_EQ(walk.rows, WalkBlocking());
        // Steps that take the rows they are given leave the object's list alone.
        const std::vector<std::vector<std::string>> rows = walk.rows;
        ClientTable(agent->Port(), c.version);
        const std::vector<std::string> listBefore = Values(request->varList);
        walk = CWalk();
        walk.request = request.get();
        walk.taking = true;
        request->AsyncGet(CSnmpVarList(request->varList), OnStep, TRUE, 0);
        ASSERT_TRUE(krwtest::RunMessagesUntil([this] { return walk.done; }, kGenerousMs));
        EXPECT_EQ(rows, walk.rows);
        EXPECT_EQ(listBefore, Values(request->varList));
    }
}

// Two walks of a keyed table on one request object, each answered at its own
// pace: every row's keys and ended columns come from its own walk.
TEST_F(RequestEngineTest, KeyedWalksOnOneObjectKeepTheirOwnRows)
{
    auto holed = StartApSim({"--hole", "3:7", "--delay", "100"});
    auto slow = StartApSim({"--delay", "250"});
    CSnmpRequest& r = Request(holed->Port(),
                              {{std::string(kColumn) + ".1", SYNTAX_INTEGER},
                               {std::string(kColumn) + ".2", SYNTAX_MACADDRESS},
                               {std::string(kColumn) + ".7", SYNTAX_DISPLAYSTR}},
                              MVT_FMV, 1);
    r.varList.GetItem(0)->access = ACCESS_NOTACCESS;
    CWalk other;
    other.request = &r;
    other.port = slow->Port();
    walk.port = holed->Port();
    g_walks[1] = &other;
    r.AsyncGet(OnStep, TRUE, 0);
    r.targetParams.port = slow->Port();
    r.AsyncGet(OnStep, TRUE, 1);
    ASSERT_TRUE(krwtest::RunMessagesUntil([&] { return walk.done && other.done; }, kGenerousMs));
    const std::vector<std::vector<std::string>> rows = {{"1", kSampleMacs[0], "1"},
                                                        {"2", kSampleMacs[1], "2"},
                                                        {"3", kSampleMacs[2], "1"}};
    EXPECT_EQ(rows, other.rows);
    std::vector<std::vector<std::string>> holedRows = rows;
    holedRows[2][2] = kNotDoneText;
    EXPECT_EQ(holedRows, walk.rows);
}

// Tables with holes, in SNMPv1 and SNMPv2c, asynchronously and blocking
// alike (twice on one object: a walk starts over with every column): every
// value stays in its own row. A cell missing from a row is empty; a column
// that has run past the end of the table is "(NOTDONE)" from there on, and
// the other columns keep their rows. With the MIB ending at the table, an
// SNMPv1 agent says so with noSuchName for that column alone; an SNMPv2c
// agent may do the same.
TEST_F(RequestEngineTest, ValuesStayInTheirRowsAcrossHoles)
{
    const std::vector<std::pair<std::string, int>> columns = {{std::string(kColumn) + ".2", SYNTAX_MACADDRESS},
                                                              {std::string(kColumn) + ".5", SYNTAX_INTEGER},
                                                              {std::string(kColumn) + ".7", SYNTAX_DISPLAYSTR}};
    const std::vector<std::vector<std::string>> full = {{kSampleMacs[0], "-48", "1"},
                                                        {kSampleMacs[1], "-61", "2"},
                                                        {kSampleMacs[2], "-70", "1"}};
    const std::string end = "--end-mib-with-table";
    const char* const ended = kNotDoneText;
    const struct {
        std::vector<std::string> options;
        std::vector<std::tuple<size_t, size_t, const char*>> cells;  // row, column, text
    } cases[] = {
        {{"--hole", "1:2"}, {{0, 0, ""}}},
        {{"--hole", "2:5"}, {{1, 1, ""}}},
        {{"--hole", "1:7"}, {{0, 2, ""}}},
        {{"--hole", "3:7"}, {{2, 2, ended}}},
        {{"--hole", "3:2"}, {{2, 0, ended}}},
        {{end, "--hole", "3:7"}, {{2, 2, ended}}},
        {{end, "--hole", "2:7", "--hole", "3:7"}, {{1, 2, ended}, {2, 2, ended}}},
        {{end, "--hole", "3:5"}, {{2, 1, ended}}},
        {{end, "--hole", "3:3", "--hole", "3:4", "--hole", "3:5", "--hole", "3:6", "--hole", "3:7"},
         {{2, 1, ended}, {2, 2, ended}}},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<std::string>> expected = full;
        for (const auto& [row, column, text] : c.cells)
            expected[row][column] = text;
        auto agent = StartApSim(c.options);
        for (int version : {0, 1}) {
            SCOPED_TRACE(::testing::PrintToString(c.options) + (version == 0 ? " SNMPv1" : " SNMPv2c"));
            walk = CWalk();
            Request(agent->Port(), columns, MVT_UMV, 0, version);
            ASSERT_NO_FATAL_FAILURE(WalkAsync());
            EXPECT_EQ(QV_OK, walk.code) << static_cast<const char*>(walk.message);
            EXPECT_EQ(expected, walk.rows);
            EXPECT_EQ(std::vector<std::string>(3, kNotDoneText), walk.last);
            EXPECT_EQ(expected, WalkBlocking());
            EXPECT_EQ(expected, WalkBlocking());
        }
    }
    auto misbehaving = StartResponder({"--rows", "2", "--no-such-name-after-table"});
    walk = CWalk();
    Request(misbehaving->Port(), columns, MVT_UMV, 0, 1);
    ASSERT_NO_FATAL_FAILURE(WalkAsync());
    EXPECT_EQ(QV_OK, walk.code) << static_cast<const char*>(walk.message);
    EXPECT_EQ(2u, walk.rows.size());
    EXPECT_EQ(2u, WalkBlocking().size());
}

TEST_F(RequestEngineTest, AnSnmpv3AgentIsWalkedWithItsUser)
{
    auto agent = StartApSim({"--user", "ap:SHA:authpass12:AES:privpass12"});
    ClientTable(agent->Port(), 3);
    request->targetParams.securityModel = SNMP_SECURITY_MODEL_USM;
    request->targetParams.securityName = "ap";
    request->targetParams.securityLevel = SNMP_SECURITY_LEVEL_AUTH_PRIV;
    request->targetParams.authProtocol = SNMP_AUTHPROTOCOL_HMACSHA;
    request->targetParams.privProtocol = SNMP_PRIVPROTOCOL_AES128;
    request->targetParams.authPassword = "authpass12";
    request->targetParams.privPassword = "privpass12";
    ASSERT_NO_FATAL_FAILURE(WalkAsync());
    EXPECT_EQ(QV_OK, walk.code) << static_cast<const char*>(walk.message);
    EXPECT_EQ(3u, walk.rows.size());
}

TEST_F(RequestEngineTest, FailuresEndTheRequestWithTheirCode)
{
    auto stopping = StartApSim({"--stop-after", "2"});
    const unsigned short silent = krwtest::FindFreeUdpPort();
    const struct {
        const char* what;
        unsigned short port;
        size_t rows;
    } cases[] = {
        {"nobody answers", silent, 0},
        {"the agent stops in the middle of the walk", stopping->Port(), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        walk = CWalk();
        ClientTable(c.port, 1, 20);
        const std::vector<std::string> sent = Values(request->varList);
        ASSERT_NO_FATAL_FAILURE(WalkAsync());
        EXPECT_EQ(QV_CODE_BASE_SNMPCLASS + SNMP_CLASS_TIMEOUT, walk.code);
        EXPECT_EQ("(SNMPClass) SNMP request timed out!", std::string(walk.message));
        EXPECT_EQ(c.rows, walk.rows.size());
        if (c.rows == 0) {
            EXPECT_EQ(sent, walk.last);  // the list as it was sent
        }
    }
}

// A single-instance fetch; a set whose response is not applied; a set the
// agent refuses; keys that the row instance cannot hold.
TEST_F(RequestEngineTest, FetchesSetsAndBrokenRowsCompleteOnce)
{
    auto agent = StartApSim({"--band", "1"});
    auto refusing = StartApSim({"--refresh-error", "5"});
    const struct {
        const char* what;
        unsigned short port;
        std::string oid;
        int itemType;
        int keyCount;
        bool set;
        int code;
        std::string value;
    } cases[] = {
        {"band", agent->Port(), kBand, MVT_SV, 0, false, QV_OK, "1"},
        {"refresh without applying", agent->Port(), kRefresh, MVT_SV, 0, true, QV_OK, "1"},
        {"refused refresh", refusing->Port(), kRefresh, MVT_SV, 0, true, QV_CODE_BASE_PDU - 5, "1"},
        {"two keys in a one-key row", agent->Port(), std::string(kColumn) + ".3", MVT_FMV, 2, false,
         QV_ERR_BAD_KEY_COUNT, "1"},  // the first key was decoded before the second failed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        walk = CWalk();
        CSnmpRequest& r = Request(c.port, {{c.oid, SYNTAX_INTEGER}, {std::string(kColumn) + ".4", SYNTAX_INTEGER}},
                                  c.itemType, c.keyCount);
        *r.varList.GetItem(0)->value = "1";
        if (c.set)
            r.AsyncSet(OnStep, FALSE, "0", nullptr, 0);
        else
            r.AsyncGet(OnStep, TRUE, 0);
        ASSERT_TRUE(krwtest::RunMessagesUntil([this] { return walk.done; }, kGenerousMs));
        EXPECT_EQ(1, walk.completions);
        EXPECT_EQ(c.code, walk.code) << static_cast<const char*>(walk.message);
        EXPECT_EQ(c.value, walk.last[0]);
        EXPECT_EQ(0, r.outstanding);
    }
}

// useGetNext reads a single-instance list with get-next: a variable named
// without its instance is found, where a get finds nothing.
TEST_F(RequestEngineTest, UseGetNextReadsTheVariableAfterTheName)
{
    auto agent = StartApSim({"--band", "1"});
    const std::string band(kBand);
    for (const BOOL getNext : {FALSE, TRUE}) {
        SCOPED_TRACE(getNext ? "get-next" : "get");
        const std::string name = band.substr(0, band.rfind('.'));
        CSnmpRequest& r = Request(agent->Port(), {{name, SYNTAX_INTEGER}}, MVT_SV);
        r.useGetNext = getNext;
        EXPECT_FALSE(r.Get(TRUE));
        EXPECT_EQ(getNext ? "1" : "(NULL)", std::string(*r.varList.GetItem(0)->value));
        EXPECT_EQ(getNext ? band : name, std::string(*r.varList.GetItem(0)->instance));
    }
}

// A set's answer reaches the items that were sent, by their place among the
// bindings and checked against the names sent; the others keep their texts.
// A set ends its request, a table row's too. An answer that names other
// variables changes nothing and fails the request.
TEST_F(RequestEngineTest, ASetsAnswerReachesTheItemsSent)
{
    const std::string key = std::string(kColumn) + ".2";
    const std::string column = std::string(kColumn) + ".3";
    const struct {
        const char* what;
        std::vector<std::string> script;
        std::vector<std::pair<std::string, int>> items;  // OID and access
        int itemType;
        int keyCount;
        const char* indexList;
        bool apply;
        std::vector<std::string> before;
        std::vector<std::string> after;
        int code;
    } cases[] = {
        {"a read-only item",
         {},
         {{kBand, ACCESS_READONLY}, {kRefresh, ACCESS_READWRITE}},
         MVT_SV,
         0,
         "",
         true,
         {"7", "5"},
         {"7", "1"},
         QV_OK},
        {"the item an index list names",
         {},
         {{kRefresh, ACCESS_READWRITE}, {kBand, ACCESS_READWRITE}},
         MVT_SV,
         0,
         "1",
         true,
         {"5", "5"},
         {"5", "1"},
         QV_OK},
        {"a table row without its key",
         {},
         {{key, ACCESS_READONLY}, {column, ACCESS_READWRITE}},
         MVT_FMV,
         1,
         "",
         true,
         {"3", "9"},
         {"3", "1"},
         QV_OK},
        {"without applying", {}, {{kRefresh, ACCESS_READWRITE}}, MVT_SV, 0, "", false, {"5"}, {"5"}, QV_OK},
        {"an answer for another variable",
         {"--answer-oids", kBand},
         {{kRefresh, ACCESS_READWRITE}},
         MVT_SV,
         0,
         "",
         true,
         {"5"},
         {"5"},
         QV_CODE_BASE_SNMPCLASS + SNMP_CLASS_INVALID_PDU},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto responder = StartResponder(c.script);
        walk = CWalk();
        std::vector<std::pair<std::string, int>> variables;
        for (const auto& item : c.items)
            variables.emplace_back(item.first, SYNTAX_INTEGER);
        CSnmpRequest& r = Request(responder->Port(), variables, c.itemType, c.keyCount);
        for (size_t i = 0; i < c.items.size(); ++i) {
            r.varList.GetItem(static_cast<int>(i))->access = c.items[i].second;
            *r.varList.GetItem(static_cast<int>(i))->value = c.before[i].c_str();
        }
        const std::vector<std::string> instances = Instances(r.varList);
        r.AsyncSet(OnStep, c.apply, c.indexList, nullptr, 0);
        ASSERT_TRUE(krwtest::RunMessagesUntil([this] { return walk.done; }, kGenerousMs));
        krwtest::RunMessagesUntil([] { return false; }, 100);
        EXPECT_EQ(1, walk.completions);
        EXPECT_EQ(c.code, walk.code) << static_cast<const char*>(walk.message);
        EXPECT_EQ(c.after, walk.last);
        if (!c.apply || c.code != QV_OK) {
            EXPECT_EQ(instances, walk.lastInstances);
        }
    }
}

// Agents that answer a walk with identifiers that do not move on: each walk
// still ends, after the number of requests it needs.
TEST_F(RequestEngineTest, WalksEndWhateverTheAgentAnswers)
{
    const std::string c = std::string(kColumn) + ".2";
    const struct {
        const char* what;
        std::vector<std::string> script;
        int timeout;
        int completions;
        size_t rows;
        int code;
    } cases[] = {
        {"a repeated identifier", {"--answer-oids", c + ".1," + c + ".1"}, 100, 2, 1, QV_OK},
        {"a decreasing identifier", {"--answer-oids", c + ".10," + c + ".9"}, 100, 2, 1, QV_OK},
        {"sub-identifiers, not text", {"--answer-oids", c + ".9," + c + ".10," + c + ".10"}, 100, 3, 2, QV_OK},
        {"every answer twice", {"--copies", "2", "--answer-oids", c + ".1," + c + ".2,1.4"}, 100, 3, 2, QV_OK},
        {"an answer after the time-out", {"--delay", "300"}, 10, 1, 0, QV_CODE_BASE_SNMPCLASS + SNMP_CLASS_TIMEOUT},
        {"noSuchName naming no binding",
         {"--error-status", "2", "--error-index", "0"},
         100,
         1,
         0,
         QV_CODE_NO_SUCH_NAME},
        {"noSuchName past the bindings",
         {"--error-status", "2", "--error-index", "2"},
         100,
         1,
         0,
         QV_CODE_NO_SUCH_NAME},
        {"genErr for the binding",
         {"--answer-oids", c + ".1", "--error-status", "5", "--error-from", "1"},
         100,
         2,
         1,
         QV_CODE_BASE_PDU - 5},
        {"noSuchName for the column's end in SNMPv2c", {"--rows", "2", "--no-such-name-after-table"}, 100, 3, 2, QV_OK},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        auto responder = StartResponder(k.script);
        walk = CWalk();
        Request(responder->Port(), {{c, SYNTAX_INTEGER}}, MVT_UMV, 0, 1, k.timeout, 0);
        ASSERT_NO_FATAL_FAILURE(WalkAsync());
        // Let anything still on its way arrive: it must change nothing.
        krwtest::RunMessagesUntil([] { return false; }, 400);
        EXPECT_EQ(k.completions, walk.completions);
        EXPECT_EQ(k.rows, walk.rows.size());
        EXPECT_EQ(k.code, walk.code);
    }
}

// A request object destroyed with a request outstanding waits 6000 ms; the
// completion that comes later (here when the session stops) must not reach
// it, and its context is released.
TEST_F(RequestEngineTest, DestroyingARequestObjectWaitsForItsRequestsOnly)
{
    auto agent = StartApSim({});
    const unsigned short silent = krwtest::FindFreeUdpPort();
    for (bool outstanding : {false, true}) {
        SCOPED_TRACE(outstanding ? "a request outstanding" : "nothing outstanding");
        walk = CWalk();
        Request(outstanding ? silent : agent->Port(), {{kBand, SYNTAX_INTEGER}}, MVT_SV, 0, 1, 1000, 0);
        request->AsyncGet(OnStep, TRUE, 0);
        if (!outstanding) {
            ASSERT_TRUE(krwtest::RunMessagesUntil([this] { return walk.done; }, kGenerousMs));
        }
        const auto start = std::chrono::steady_clock::now();
        request.reset();
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        // The wait counts whole milliseconds of GetTickCount: it may end up
        // to one of them before 6000 on a finer clock.
        EXPECT_EQ(outstanding, waited >= 5999) << waited << " ms";
    }
    CSnmpSession::Stop();
    EXPECT_EQ(0, walk.completions);
}

TEST_F(RequestEngineTest, StoppingTheSessionSettlesOutstandingRequestsWithoutACallback)
{
    CSnmpRequest& r = Request(krwtest::FindFreeUdpPort(), {{kBand, SYNTAX_INTEGER}}, MVT_SV, 0, 1, 1000, 0);
    r.AsyncGet(OnStep, TRUE, 0);
    r.AsyncGet(OnStep, TRUE, 0);
    EXPECT_EQ(2, r.outstanding);
    CSnmpSession::Stop();
    EXPECT_EQ(0, r.outstanding);
    EXPECT_EQ(0, walk.completions);
}

}  // namespace
