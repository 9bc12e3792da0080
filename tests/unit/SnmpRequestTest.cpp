#include "snmpfw/SnmpRequest.h"
#include "common/QvErrors.h"
#include "snmplib/SnmpLib.h"
#include "tests/support/RaisedCode.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using krwtest::RaisedCode;

// The request engine without an agent: what goes into a set request, the
// response step applied to PDUs made here, and a derived request replacing
// conversions. The session never runs in this process, so a send fails with
// "cannot create the session" after everything before it has happened.
namespace {

const char kTable[] = "1.3.6.1.4.1.32473.99.2.1";

// A request that records what it puts into a set PDU and shows received
// integers in its own way.
class CRecordingRequest : public CSnmpRequest {
public:
    void TextToVb(int index, Vb& vb) override
    {
        sent.emplace_back(index, std::string(static_cast<const char*>(*varList.GetItem(index)->value)));
        CSnmpRequest::TextToVb(index, vb);
    }

    void VbToText(int index, const Vb& vb, CSnmpVarList& list) override
    {
        int number = 0;
        if (vb.get_value(number) == SNMP_CLASS_SUCCESS && number == 42)
            *list.GetItem(index)->value = "the answer";
        else
            CSnmpRequest::VbToText(index, vb, list);
    }

    std::vector<std::pair<int, std::string>> sent;
};

class SnmpRequestTest : public ::testing::Test {
protected:
    // A list of `columns` items under kTable (column c is kTable.c), values "v0", "v1", ...
    CSnmpVarList& MakeList(int itemType, int keyCount, std::vector<int> access)
    {
        for (size_t c = 0; c < access.size(); ++c) {
            oids.push_back(std::string(kTable) + "." + std::to_string(c + 1));
            definitions.push_back({oids.back().c_str(), "item", SYNTAX_INTEGER, access[c], nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr});
        }
        definitions.push_back({});
        request.varList = CSnmpVarList(definitions.data(), itemType, keyCount);
        for (int i = 0; i < request.varList.count; ++i)
            *request.varList.GetItem(i)->value = ("v" + std::to_string(i)).c_str();
        request.targetParams.address = "127.0.0.1";
        request.targetParams.port = 161;
        return request.varList;
    }

    // A response whose bindings carry these OIDs (relative to kTable) and values.
    static Pdu Response(const std::vector<std::pair<std::string, int>>& bindings)
    {
        Pdu pdu;
        for (const auto& b : bindings) {
            Vb vb(Oid((std::string(kTable) + "." + b.first).c_str()));
            vb.set_value(b.second);
            pdu += vb;
        }
        return pdu;
    }

    std::vector<std::string> Values() const
    {
        std::vector<std::string> values;
        for (int i = 0; i < request.varList.count; ++i)
            values.emplace_back(static_cast<const char*>(*request.varList.GetItem(i)->value));
        return values;
    }

    std::string Instance(int index) const
    {
        return static_cast<const char*>(*request.varList.GetItem(index)->instance);
    }

    CSnmpRequest::Outcome Apply(const std::vector<std::pair<std::string, int>>& bindings)
    {
        Pdu pdu = Response(bindings);
        return request.ApplyRow(pdu, request.varList);
    }

    std::deque<std::string> oids;  // stays where it is while it grows
    std::vector<CSnmpVarDef> definitions;
    CRecordingRequest request;
};

TEST_F(SnmpRequestTest, IndexListsChooseTheItemsAndValuesThatASetSends)
{
    const struct {
        const char* indexList;
        std::vector<const char*> values;
        std::vector<std::pair<int, std::string>> sent;
    } cases[] = {
        {"", {}, {{0, "v0"}, {1, "v1"}, {2, "v2"}, {3, "v3"}}},
        {"0,2", {"a", "b"}, {{0, "a"}, {2, "b"}}},
        {"1.5", {"x"}, {{1, "x"}}},  // the fraction does not count
        {"2,2", {"first", "second"}, {{2, "first"}}},
        {"3,1", {"only"}, {{1, "v1"}, {3, "only"}}},  // an entry without a value keeps the item's text
        {"0,", {}, {{0, "v0"}}},                      // an empty entry is 0
        {"99999999999", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.indexList);
        definitions.clear();
        MakeList(MVT_SV, 0, {ACCESS_READWRITE, ACCESS_READWRITE, ACCESS_READWRITE, ACCESS_READWRITE});
        CStringList values;
        for (const char* v : c.values)
            values.AddTail(v);
        request.sent.clear();
        EXPECT_EQ(QV_ERR_CREATE_SESSION, RaisedCode([&] { request.AsyncSet(nullptr, TRUE, c.indexList, &values, 0); }));
        EXPECT_EQ(c.sent, request.sent);
        // What was chosen reached the PDU only.
        EXPECT_EQ((std::vector<std::string>{"v0", "v1", "v2", "v3"}), Values());
        for (int i = 0; i < request.varList.count; ++i)
            EXPECT_TRUE(request.varList.IsSettable(i)) << i;
        EXPECT_EQ(0, request.outstanding);
    }
}

TEST_F(SnmpRequestTest, RequestsThatCannotBeBuiltFailBeforeAnythingIsSent)
{
    const struct {
        const char* what;
        int itemType;
        const char* address;
        std::function<void(CSnmpRequest&)> action;
        int code;
    } cases[] = {
        {"continuation of a single-instance list", MVT_SV, "127.0.0.1", [](CSnmpRequest& r) { r.Get(FALSE); },
         QV_ERR_GETNEXT_SINGLE_VALUE},
        {"item type above 3", 7, "127.0.0.1", [](CSnmpRequest& r) { r.Get(TRUE); }, QV_ERR_BAD_ITEM_TYPE},
        {"asynchronous with item type above 3", 7, "127.0.0.1", [](CSnmpRequest& r) { r.AsyncGet(nullptr, TRUE, 0); },
         QV_ERR_BAD_ITEM_TYPE},
        {"set with item type above 3", 7, "127.0.0.1",
         [](CSnmpRequest& r) { r.AsyncSet(nullptr, TRUE, "", nullptr, 0); }, QV_ERR_BAD_ITEM_TYPE},
        {"set of a chosen item to an unresolvable address", MVT_SV, "no-such-host.invalid",
         [](CSnmpRequest& r) {
             CStringList values;
             values.AddTail("chosen");
             r.AsyncSet(nullptr, TRUE, "1", &values, 0);
         },
         QV_ERR_INVALID_ADDRESS},
        {"unresolvable address", MVT_SV, "no-such-host.invalid", [](CSnmpRequest& r) { r.Get(TRUE); },
         QV_ERR_INVALID_ADDRESS},
        {"no session", MVT_SV, "127.0.0.1", [](CSnmpRequest& r) { r.AsyncGet(nullptr, TRUE, 0); },
         QV_ERR_CREATE_SESSION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        definitions.clear();
        MakeList(c.itemType, 0, {ACCESS_READWRITE, ACCESS_READWRITE});
        request.targetParams.address = c.address;
        EXPECT_EQ(c.code, RaisedCode([&] { c.action(request); }));
        EXPECT_EQ(0, request.outstanding);
        // Nothing of a request that failed stays in the list.
        EXPECT_EQ((std::vector<std::string>{"v0", "v1"}), Values());
        EXPECT_TRUE(request.varList.IsSettable(0) && request.varList.IsSettable(1));
    }
    request.valid = FALSE;
    EXPECT_FALSE(request.Get(TRUE));
}

// Two rows of three columns, then the table ends; the first column is the key.
TEST_F(SnmpRequestTest, ResponsesWalkATableRowByRow)
{
    MakeList(MVT_FMV, 1, {ACCESS_READONLY, ACCESS_READONLY, ACCESS_READONLY});
    EXPECT_EQ(CSnmpRequest::OUTCOME_ROW, Apply({{"1.7", 7}, {"2.7", 42}, {"3.7", 3}}));
    EXPECT_EQ((std::vector<std::string>{"7", "the answer", "3"}), Values());
    EXPECT_EQ(std::string(kTable) + ".2.7", Instance(1));
    // The third column ends before the others: it asks again after row 7.
    EXPECT_EQ(CSnmpRequest::OUTCOME_ROW, Apply({{"1.9", 9}, {"2.9", 5}, {"4.1", 0}}));
    EXPECT_EQ((std::vector<std::string>{"9", "5", kNotDoneText}), Values());
    EXPECT_EQ(std::string(kTable) + ".3.7", Instance(2));
    EXPECT_EQ(CSnmpRequest::OUTCOME_FINISHED, Apply({{"2.1", 0}, {"3.1", 0}, {"4.1", 0}}));
    EXPECT_EQ((std::vector<std::string>{kNotDoneText, kNotDoneText, kNotDoneText}), Values());
}

TEST_F(SnmpRequestTest, ResponsesThatEndOrBreakAWalk)
{
    struct Case {
        const char* what;
        int keyCount;
        std::vector<std::pair<std::string, int>> bindings;
        CSnmpRequest::Outcome outcome;
        int raised;
    } cases[] = {
        {"an empty table", 0, {{"2", 0}, {"3", 0}}, CSnmpRequest::OUTCOME_FINISHED, 0},
        {"fewer bindings than columns", 0, {{"1.4", 4}}, CSnmpRequest::OUTCOME_ROW, 0},
        {"no binding at all", 0, {}, CSnmpRequest::OUTCOME_FINISHED, 0},
        {"an instance too short for the keys",
         2,
         {{"1.4", 4}, {"2.4", 1}},
         CSnmpRequest::OUTCOME_ROW,
         QV_ERR_BAD_KEY_COUNT},
        {"more keys than columns", 3, {{"1.4", 4}, {"2.4", 1}}, CSnmpRequest::OUTCOME_ROW, QV_ERR_BAD_KEY_COUNT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        definitions.clear();
        MakeList(MVT_FMV, c.keyCount, {ACCESS_READONLY, ACCESS_READONLY});
        // The first step asked for the columns themselves.
        for (int i = 0; i < request.varList.count; ++i)
            *request.varList.GetItem(i)->instance =
                std::string(kTable).append(".").append(std::to_string(i + 1)).c_str();
        CSnmpRequest::Outcome outcome = CSnmpRequest::OUTCOME_FINISHED;
        EXPECT_EQ(c.raised, RaisedCode([&] { outcome = Apply(c.bindings); }));
        if (c.raised == 0) {
            EXPECT_EQ(c.outcome, outcome);
        }
    }
    // A column without a binding has ended; nothing beyond the PDU was read.
    definitions.clear();
    MakeList(MVT_FMV, 0, {ACCESS_READONLY, ACCESS_READONLY});
    EXPECT_EQ(CSnmpRequest::OUTCOME_ROW, Apply({{"1.4", 4}}));
    EXPECT_EQ((std::vector<std::string>{"4", kNotDoneText}), Values());
}

// noSuchName in a walk ends the column its error index names, counted among
// the columns still read, when that binding is the one asked for; anything
// else is an error of the request, and changes nothing.
TEST_F(SnmpRequestTest, NoSuchNameEndsTheColumnItNames)
{
    const struct {
        const char* what;
        bool firstStep;   // the columns asked for themselves, else after row 4
        int endedBefore;  // a column that ended earlier, or -1
        int errorIndex;
        const char* named;  // the failed binding's OID, relative to kTable; null: as asked
        CSnmpRequest::Outcome outcome;
        int ends;  // the column that ends, or -1
    } cases[] = {
        {"the middle column", false, -1, 2, nullptr, CSnmpRequest::OUTCOME_ASK_AGAIN, 1},
        {"the last column at the first step", true, -1, 3, nullptr, CSnmpRequest::OUTCOME_ASK_AGAIN, 2},
        {"counted among the columns still read", false, 0, 1, nullptr, CSnmpRequest::OUTCOME_ASK_AGAIN, 1},
        {"the one column left", false, -1, 1, nullptr, CSnmpRequest::OUTCOME_TABLE_END, 0},
        {"index 0", false, -1, 0, nullptr, CSnmpRequest::OUTCOME_TABLE_ERROR, -1},
        {"an index past the bindings", false, -1, 4, nullptr, CSnmpRequest::OUTCOME_TABLE_ERROR, -1},
        {"a negative index", false, -1, -1, nullptr, CSnmpRequest::OUTCOME_TABLE_ERROR, -1},
        {"the lowest index there is", false, -1, INT32_MIN, nullptr, CSnmpRequest::OUTCOME_TABLE_ERROR, -1},
        {"a binding not asked for", false, -1, 2, "2.5", CSnmpRequest::OUTCOME_TABLE_ERROR, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        definitions.clear();
        const bool alone = c.outcome == CSnmpRequest::OUTCOME_TABLE_END;
        MakeList(MVT_UMV, 0,
                 alone ? std::vector<int>{ACCESS_READONLY}
                       : std::vector<int>{ACCESS_READONLY, ACCESS_READONLY, ACCESS_READONLY});
        Pdu pdu;
        for (int i = 0; i < request.varList.count; ++i) {
            const std::string column = std::string(kTable) + "." + std::to_string(i + 1);
            if (!c.firstStep)
                *request.varList.GetItem(i)->instance = (column + ".4").c_str();
            if (i == c.endedBefore) {
                request.varList.GetItem(i)->access |= ACCESS_ENDED;
                continue;
            }
            const bool named = c.named != nullptr && static_cast<int>(pdu.get_vb_count()) + 1 == c.errorIndex;
            pdu += Vb(Oid(named ? (std::string(kTable) + "." + c.named).c_str()
                                : (c.firstStep ? column : column + ".4").c_str()));
        }
        pdu.set_error_status(SNMP_ERROR_NO_SUCH_NAME);
        pdu.set_error_index(c.errorIndex);
        const std::vector<std::string> before = Values();
        EXPECT_EQ(c.outcome, request.EndColumn(pdu, request.varList));
        std::vector<std::string> expected = before;
        if (c.ends >= 0)
            expected[static_cast<size_t>(c.ends)] = kNotDoneText;
        EXPECT_EQ(expected, Values());
        for (int i = 0; i < request.varList.count; ++i)
            EXPECT_EQ(i != c.ends && i != c.endedBefore, request.varList.IsReadable(i)) << i;
    }
}

TEST_F(SnmpRequestTest, SingleInstanceListsKeepWhatIsNotAnswered)
{
    MakeList(MVT_SV, 0, {ACCESS_READONLY, ACCESS_READONLY, ACCESS_NOTACCESS});
    EXPECT_EQ(CSnmpRequest::OUTCOME_FINISHED, Apply({{"1", 11}}));
    EXPECT_EQ((std::vector<std::string>{"11", "v1", "v2"}), Values());
}

TEST_F(SnmpRequestTest, AnIndexColumnThatCannotBeReadComesFromTheRowInstance)
{
    MakeList(MVT_FMV, 1, {ACCESS_NOTACCESS, ACCESS_READONLY});
    EXPECT_EQ(CSnmpRequest::OUTCOME_ROW, Apply({{"2.12", 5}}));
    EXPECT_EQ((std::vector<std::string>{"12", "5"}), Values());
    EXPECT_EQ(std::string(kTable) + ".1.12", Instance(0));
}

// The virtual destructor destroys a derived request whole (LeakSanitizer
// checks the recordings of the derived part).
TEST(SnmpRequestLifetime, ADerivedRequestIsDestroyedThroughABasePointer)
{
    std::unique_ptr<CSnmpRequest> request = std::make_unique<CRecordingRequest>();
    static_cast<CRecordingRequest*>(request.get())->sent.emplace_back(0, std::string(64, 'x'));
    request.reset();
}

}  // namespace
