#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FreePort.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedResponder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// krw6180-apsim's switches, seen through snmpfw-fetch as any user would run
// them, and snmpfw-fetch's own forms and failures.
namespace {

const std::string kColumn = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1";
const std::string kRefresh = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1";

struct CRun {
    int status = -1;
    std::string out;
};

class ProgramsTest : public ::testing::Test {
protected:
    void SetUp() override { folder = krwtest::MakeScratchFolder("krw-programs-"); }
    void TearDown() override { krwtest::RemoveScratchFolder(folder); }

    CRun Fetch(unsigned short port, std::vector<std::string> args)
    {
        std::vector<std::string> argv{KRW_FETCH_PROGRAM, "-p", std::to_string(port)};
        argv.insert(argv.end(), args.begin(), args.end());
        CRun run;
        run.out = krwtest::RunProgram(argv, krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), &run.status);
        return run;
    }

    // The MAC column of the agent's client table, one line per row.
    std::string Macs(unsigned short port, std::vector<std::string> args = {})
    {
        args.insert(args.end(), {"-f", "json", "--walk", "0", "127.0.0.1", kColumn + ".2:macaddress"});
        const CRun run = Fetch(port, args);
        EXPECT_EQ(0, run.status) << run.out;
        const nlohmann::json document = nlohmann::json::parse(run.out, nullptr, false);
        std::string macs;
        for (const auto& row : document.value("rows", nlohmann::json::array()))
            macs += row[0].get<std::string>() + "\n";
        return macs;
    }

    std::filesystem::path folder;
};

TEST_F(ProgramsTest, TheSimulatedAccessPointServesTheClientsItIsGiven)
{
    const std::string csv = (folder / "clients.csv").string();
    std::ofstream(csv) << "# mac,band,authentication,rssi,powersave,ssid\n"
                          "00:11:22:33:44:55,1,6,-40,0,1\r\n"
                          "66-77-88-99-AA-BB,0,7,-55,1,2\n";
    const struct {
        std::vector<std::string> options;
        std::string macs;
    } cases[] = {
        {{}, "000D88123456\nA0B1C2D3E4F5\n0C8BFD0A1B2C\n"},
        {{"--clients", csv}, "001122334455\n66778899AABB\n"},
        {{"--zero-mac-row", "2"}, "000D88123456\n000000000000\n0C8BFD0A1B2C\n"},
        {{"--repeat-row", "1"}, "000D88123456\n000D88123456\nA0B1C2D3E4F5\n0C8BFD0A1B2C\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "sample" : c.options.front());
        auto agent = krwtest::StartApSim(c.options);
        EXPECT_EQ(c.macs, Macs(agent->Port()));
    }
    auto generated = krwtest::StartApSim({"--generate", "250", "--seed", "7"});
    auto again = krwtest::StartApSim({"--generate", "250", "--seed", "7"});
    const std::string macs = Macs(generated->Port());
    EXPECT_EQ(250, std::count(macs.begin(), macs.end(), '\n'));
    EXPECT_EQ(macs, Macs(again->Port()));
}

// An SNMPv1 walk of a table whose last column ends first, in the last two
// rows: every row, the cells missing from it empty.
TEST_F(ProgramsTest, FetchWalksEveryRowWhenAColumnEndsFirst)
{
    auto agent = krwtest::StartApSim({"--end-mib-with-table", "--hole", "2:7", "--hole", "3:7"});
    const CRun run = Fetch(
        agent->Port(), {"-v", "1", "-f", "tsv", "--walk", "0", "127.0.0.1", kColumn + ".2:macaddress", kColumn + ".7"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(kColumn + ".2\t" + kColumn + ".7\n000D88123456\t1\nA0B1C2D3E4F5\t\n0C8BFD0A1B2C\t\n", run.out);
}

TEST_F(ProgramsTest, CommunitiesAndDelaysBehaveAsAnAgentsWould)
{
    auto agent = krwtest::StartApSim({"-c", "look", "-w", "touch", "--delay", "200"});
    const std::string set = kRefresh + ":integer=1";
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {"read community", {"-c", "look", "127.0.0.1", kRefresh + ":integer"}, 0, "0\n"},
        {"set with the write community", {"-w", "touch", "--set", "127.0.0.1", set}, 0, "1\n"},
        {"set with the read community", {"-w", "look", "--set", "127.0.0.1", set}, 1, ""},
        {"unknown community", {"-c", "other", "-t", "50", "-r", "0", "127.0.0.1", kRefresh}, 1, ""},
        {"answer later than the time-out", {"-c", "look", "-t", "10", "-r", "0", "127.0.0.1", kRefresh}, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CRun run = Fetch(agent->Port(), c.args);
        EXPECT_EQ(c.status, run.status);
        EXPECT_EQ(c.out, run.out);
    }
}

TEST_F(ProgramsTest, FetchRefusesBadUsageAndReportsFailures)
{
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--help"}, 0},
        {{}, 2},
        {{"127.0.0.1"}, 2},
        {{"127.0.0.1", "1.3.6:nosuchsyntax"}, 2},
        {{"-v", "4", "127.0.0.1", "1.3.6"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:integer"}, 2},
        {{"--set", "--walk", "1", "127.0.0.1", "1.3.6:integer=1"}, 2},
        {{"-v", "0", "127.0.0.1", "1.3.6"}, 2},
        {{"-f", "1", "127.0.0.1", "1.3.6"}, 2},
        {{"127.0.0.1:0", "1.3.6"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:integer=abc"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:gauge=-1"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:macaddress=0011223344"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=$0*8:displaystr"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=$2*8"}, 2},
        {{"127.0.0.1", "1.3.6:displaystr", "=$0*8"}, 2},
        {{"--walk", "1", "127.0.0.1", "1.3.6:integer"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:bcdatetime=2024/02/31 01:30:15"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:bcdatetime=2024/13/45 99:99:99 PM"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:bcdatetime=2023/02/29 10:00:00"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:bcdatetime=2024/05/17 13:30:15 AM"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:bcdatetime=2024/05/17 01:30:15 PM"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:datetime=99999-99-99,99:99:99.9"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:datetime=2024-5-17,13:30:15.0,+99:99"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:datetime=2024-5-17,13:30:15.0,-14:0"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:datetime=2100-2-29,1:0:0.0"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:datetime=2024-2-29,1:0:0.10"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:timeticks=99999999999 days, 0:00:00.00"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:timeticks=497 days, 2:27:52.96"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:timeticks=0:60:00.00"}, 2},
        {{"--set", "127.0.0.1", "1.3.6:timeticks=0:00:01.5"}, 2},
        // The largest values are sent (and time out).
        {{"-t", "1", "-r", "0", "--set", "127.0.0.1", "1.3.6:timeticks=497 days, 2:27:52.95"}, 1},
        {{"-t", "1", "-r", "0", "--set", "127.0.0.1", "1.3.6:datetime=65535-12-31,23:59:60.9,-13:59"}, 1},
        {{"-t", "1", "-r", "0", "--set", "127.0.0.1", "1.3.6:bcdatetime=2024/02/29 23:59:59 PM"}, 1},
        {{"127.0.0.1", "1.3.6:integer", "=$2*10", "=$0+1"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=$2", "=$1"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=$0+"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "1.3.7:integer", "=$0 $1"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=abc"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=1e"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=2($0)"}, 2},
        {{"127.0.0.1", "1.3.6:integer", "=-$0"}, 2},
        {{"no-such-host.invalid", "1.3.6"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args.back());
        EXPECT_EQ(c.status, Fetch(161, c.args).status);
    }
}

// What an agent sent, as snmpfw-fetch shows it: index columns from the
// instance, derived values beside the columns they come from, the three
// exceptions by name, control characters escaped.
TEST_F(ProgramsTest, FetchShowsWhatTheAgentSent)
{
    auto agent = krwtest::StartApSim({"--cell", "1:7:x:1B0A095C"});
    const std::string address = "127.0.0.1:" + std::to_string(agent->Port());
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {"an integer index",
         {"--walk", "1", address, kColumn + ".1:integer", kColumn + ".2:macaddress"},
         "1\t000D88123456\n2\tA0B1C2D3E4F5\n3\t0C8BFD0A1B2C\n"},
        {"a derived value",
         {"--walk", "1", address, kColumn + ".1:integer", kColumn + ".5:integer", "=$1*8-$0:integer"},
         "1\t-48\t-385\n2\t-61\t-490\n3\t-70\t-563\n"},
        {"derived values that their syntax cannot hold, and one derived from another",
         {"--walk", "1", address, kColumn + ".1:integer", kColumn + ".5:integer", "=$1-$0:uinteger", "=$1*8:counter64",
          "=$1*1e30:integer", "=$1/0", "=$0*2", "=$6+1:counter", "=0-$1:timeticks"},
         "1\t-48\t(NULL)\t(NULL)\t(NULL)\t(NULL)\t2.000000\t3\t0:00:00.48\n"
         "2\t-61\t(NULL)\t(NULL)\t(NULL)\t(NULL)\t4.000000\t5\t0:00:00.61\n"
         "3\t-70\t(NULL)\t(NULL)\t(NULL)\t(NULL)\t6.000000\t7\t0:00:00.70\n"},
        {"exceptions", {address, kColumn + ".2.9", "1.3.6.1.4.1.32473.9.0"}, "noSuchInstance\tnoSuchObject\n"},
        {"control characters", {address, kColumn + ".7.1"}, "\\x1b\\n\\t\\\\\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // -p names another port: the one after the address counts.
        const CRun run = Fetch(1, c.args);
        EXPECT_EQ(0, run.status);
        const size_t header = c.args[0] == "--walk" ? run.out.find('\n') + 1 : 0;
        EXPECT_EQ(c.out, run.out.substr(header));
    }
}

// Bad usage exits 2 before the agent starts; a port that is taken exits 1
// with the system's reason.
TEST_F(ProgramsTest, TheSimulatedAccessPointRefusesBadUsage)
{
    auto agent = krwtest::StartApSim({});
    const struct {
        std::vector<std::string> args;
        int status;
        const char* errors;
    } cases[] = {
        {{"--bogus"}, 2, "--bogus"},
        {{"--addresses", "70000"}, 2, "--addresses"},
        {{"--band", "7"}, 2, "--band"},
        {{"--user", "ap:SHA:short"}, 2, "8 characters"},
        {{"--listen", "127.0.0.1:" + std::to_string(agent->Port())}, 1, "Address already in use"},
    };
    const std::string errorsPath = (folder / "errors").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> argv{KRW_APSIM_PROGRAM, "--listen", "127.0.0.1:0"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const int errors = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int status = -1;
        krwtest::RunProgram(argv, krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), &status, errors);
        close(errors);
        EXPECT_EQ(c.status, status);
        std::ifstream in(errorsPath);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(std::string::npos, text.find(c.errors)) << text;
    }
}

// A walk shows the rows it read also when it fails half-way or reaches
// --max-rows, in each form: json as a document that still parses.
TEST_F(ProgramsTest, FetchWalksKeepWhatTheyReadAndStopAtTheBound)
{
    krwtest::CScriptedResponder endless({"--rows", "-1"});
    std::string error;
    ASSERT_TRUE(endless.Start(&error)) << error;
    const struct {
        const char* what;
        std::vector<std::string> apsim;  // none: the table without end
        std::vector<std::string> args;
        int status;
        size_t rows;
    } cases[] = {
        {"a table without end", {}, {"--max-rows", "100"}, 3, 100},
        {"a bound the table stays within", {"--generate", "5"}, {"--max-rows", "5"}, 0, 5},
        {"an agent that falls silent", {"--stop-after", "2"}, {"-t", "20", "-r", "0"}, 1, 2},
    };
    for (const auto& c : cases) {
        for (const char* format : {"tsv", "json", "table"}) {
            SCOPED_TRACE(std::string(c.what) + ", " + format);
            std::unique_ptr<krwtest::CApSimAgent> agent = c.apsim.empty() ? nullptr : krwtest::StartApSim(c.apsim);
            std::vector<std::string> args = c.args;
            args.insert(args.end(), {"-f", format, "--walk", "0", "127.0.0.1", kColumn + ".2:macaddress"});
            const CRun run = Fetch(agent ? agent->Port() : endless.Port(), args);
            EXPECT_EQ(c.status, run.status);
            const size_t rows = format == std::string("json") ? nlohmann::json::parse(run.out).at("rows").size()
                                                              : krwtest::OutputLines(run.out).size() - 1;
            EXPECT_EQ(c.rows, rows) << run.out;
        }
    }
}

// A program ended by a signal while it waits for an agent leaves nothing of
// the SNMP library's in the temporary folder.
TEST_F(ProgramsTest, ASignalLeavesNoScratchFolderBehind)
{
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(signal);
        // An agent that never answers: a socket of our own.
        const int agent = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const unsigned short port = krwtest::BindLoopback(agent);
        ASSERT_NE(0, port);
        const pid_t fetch =
            krwtest::Spawn({KRW_FETCH_PROGRAM, "-p", std::to_string(port), "-t", "1000", "127.0.0.1", "1.3.6"},
                           krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), -1, quiet, quiet);
        // Its request has come: the library has started.
        pollfd arrived{agent, POLLIN, 0};
        EXPECT_EQ(1, poll(&arrived, 1, 30000));
        kill(fetch, signal);
        krwtest::WaitForExit(fetch, std::chrono::seconds(10));
        close(agent);
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_NE(0u, entry.path().filename().string().rfind("krw-netsnmp-", 0)) << entry.path();
    }
    close(quiet);
}

TEST_F(ProgramsTest, TheSimulatedAccessPointEndsCleanlyOnASignal)
{
    for (int signal : {SIGTERM, SIGINT}) {
        pid_t pid = -1;
        const unsigned short port = krwtest::SpawnAnnouncingPort({KRW_APSIM_PROGRAM, "--listen", "127.0.0.1:0"},
                                                                 "listening on 127.0.0.1:", -1, &pid);
        ASSERT_NE(0, port);
        kill(pid, signal);
        EXPECT_EQ(0, krwtest::WaitForExit(pid, std::chrono::seconds(10))) << signal;
    }
}

}  // namespace
