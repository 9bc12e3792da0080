// A walk of the client table of krw6180-apsim (six columns, N generated
// clients) through the request engine: the asynchronous chain under the
// event processor and the thread's message loop, and the blocking Get loop;
// beside snmpwalk of the same six columns on the same agent in the same run.
// Prints the time per row, the ratios, and how the engine's time per row
// grows from 10 to 1,000 rows. Goal: the asynchronous walk within 1.3x of
// snmpwalk per row. Usage: table-walk-bench

#include "common/QvException.h"
#include "snmpfw/SnmpRequest.h"
#include "snmpfw/SnmpSession.h"
#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ScratchFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char kEntry[] = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1";
const int kRounds = 3;
const UINT kWaitMs = 600000;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct CChain {
    CSnmpRequest* request = nullptr;
    int rows = 0;
    bool done = false;
} g_chain;

void OnRow(CSnmpResult* result, CSnmpVarList* list, DWORD)
{
    if (result->done) {
        g_chain.done = true;
        return;
    }
    ++g_chain.rows;
    g_chain.request->varList = *list;
    g_chain.request->AsyncGet(OnRow, FALSE, 0);
}

class CWalker {
public:
    explicit CWalker(unsigned short port)
    {
        for (int column = 2; column <= 7; ++column)
            oids.push_back(std::string(kEntry) + "." + std::to_string(column));
        const int syntaxes[] = {SYNTAX_MACADDRESS, SYNTAX_INTEGER, SYNTAX_INTEGER,
                                SYNTAX_INTEGER,    SYNTAX_INTEGER, SYNTAX_DISPLAYSTR};
        for (size_t i = 0; i < oids.size(); ++i)
            definitions.push_back({oids[i].c_str(), "column", syntaxes[i], ACCESS_READONLY, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr});
        definitions.push_back({});
        request.targetParams.address = "127.0.0.1";
        request.targetParams.port = port;
        request.targetParams.version = 1;
        request.targetParams.readCommunity = "public";
    }

    double Async(int* rows)
    {
        Reset();
        g_chain = CChain{&request, 0, false};
        const auto start = Clock::now();
        request.AsyncGet(OnRow, TRUE, 0);
        krwtest::RunMessagesUntil([] { return g_chain.done; }, kWaitMs);
        *rows = g_chain.rows;
        return Since(start);
    }

    double Blocking(int* rows)
    {
        Reset();
        *rows = 0;
        const auto start = Clock::now();
        for (BOOL more = request.Get(TRUE); more; more = request.Get(FALSE))
            ++*rows;
        return Since(start);
    }

private:
    void Reset() { request.varList = CSnmpVarList(definitions.data(), MVT_UMV, 0); }

    std::vector<std::string> oids;
    std::vector<CSnmpVarDef> definitions;
    CSnmpRequest request;
};

double Snmpwalk(unsigned short port, int* rows)
{
    const auto start = Clock::now();
    int status = -1;
    const std::string out = krwtest::RunProgram(
        {SNMPWALK_PROGRAM, "-v2c", "-c", "public", "-On", "-Oq", "udp:127.0.0.1:" + std::to_string(port), kEntry},
        krwtest::EnvironmentWith({"MIBS="}), &status);
    const double seconds = Since(start);
    *rows = static_cast<int>(std::count(out.begin(), out.end(), '\n')) / 6;
    return seconds;
}

void Measure(int clients)
{
    krwtest::CApSimAgent agent({"--generate", std::to_string(clients), "--end-mib-with-table"});
    std::string error;
    if (!agent.Start(&error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    CWalker walker(agent.Port());
    double async = 1e9, blocking = 1e9, peer = 1e9;
    int asyncRows = 0, blockingRows = 0, peerRows = 0;
    for (int round = 0; round < kRounds; ++round) {
        peer = std::min(peer, Snmpwalk(agent.Port(), &peerRows));
        async = std::min(async, walker.Async(&asyncRows));
        blocking = std::min(blocking, walker.Blocking(&blockingRows));
    }
    const double perRow = 1e6 / std::max(peerRows, 1);
    printf("%6d rows  snmpwalk %7.1f us/row   asynchronous %7.1f us/row (%.2fx)   blocking %7.1f us/row (%.2fx)%s\n",
           clients, peer * perRow, async * 1e6 / std::max(asyncRows, 1), async / peer,
           blocking * 1e6 / std::max(blockingRows, 1), blocking / peer,
           asyncRows == clients && blockingRows == clients && peerRows == clients ? "" : "  (row counts differ!)");
}

}  // namespace

int main()
{
    const auto folder = krwtest::MakeScratchFolder("krw-walk-bench-");
    try {
        CSnmpSession::Start(CString(folder.c_str()), CString(""));
    } catch (CQVException* e) {
        fprintf(stderr, "%s\n", static_cast<const char*>(e->GetText()));
        e->Delete();
        return 1;
    }
    printf("walk of the six-column client table, best of %d (ratios: time against snmpwalk's):\n", kRounds);
    for (int clients : {10, 100, 1000})
        Measure(clients);
    CSnmpSession::Stop();
    krwtest::RemoveScratchFolder(folder);
    return 0;
}
