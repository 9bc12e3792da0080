// krw6180-clients as its users run it: exit statuses, the json and csv
// forms, the demo and repeated rounds.

#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

namespace {

struct CRun {
    int status = -1;
    std::string out;
    std::string errors;
};

class HostProgramTest : public ::testing::Test {
protected:
    void SetUp() override { folder = krwtest::MakeScratchFolder("krw-host-"); }
    void TearDown() override { krwtest::RemoveScratchFolder(folder); }

    CRun Clients(const std::vector<std::string>& args, const char* program = KRW_CLIENTS_PROGRAM)
    {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string errorsPath = (folder / "errors").string();
        const int errorsFd = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        CRun run;
        run.out =
            krwtest::RunProgram(argv, krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), &run.status, errorsFd);
        ::close(errorsFd);
        std::ifstream in(errorsPath);
        run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return run;
    }

    std::filesystem::path folder;
};

TEST_F(HostProgramTest, TheExitStatusSaysHowTheRoundWent)
{
    auto good = krwtest::StartApSim({});
    auto refusing = krwtest::StartApSim({"--refresh-error", "5"});
    auto stopping = krwtest::StartApSim({"--stop-after", "1"});
    const std::string port = std::to_string(good->Port());
    const std::string stoppingPort = std::to_string(stopping->Port());
    const struct {
        const char* what;
        std::vector<std::string> args;
        int status;
        const char* errors;  // a piece of standard error
    } cases[] = {
        {"every report succeeds", {"-p", port, "127.0.0.1", "localhost"}, 0, ""},
        {"a report fails", {"-p", port, "127.0.0.1", "no-such-host.invalid"}, 1, ""},
        {"the agent refuses", {"-p", std::to_string(refusing->Port()), "127.0.0.1"}, 1, ""},
        {"the walk fails half-way",
         {"-p", stoppingPort, "-f", "csv", "-t", "20", "127.0.0.1:" + stoppingPort},
         1,
         "(SNMPClass) SNMP request timed out!"},
        // Attempts of 5 s: the retrieval is still going when the wait is over.
        {"a report is missing",
         {"-p", stoppingPort, "-f", "csv", "-t", "1000", "--wait", "1", "127.0.0.1"},
         3,
         "no report means the retrieval was still going when the wait ended"},
        {"no address", {}, 2, "ADDRESS"},
        {"an address with --demo", {"--demo", "127.0.0.1"}, 2, "--demo"},
        {"an unknown format", {"-f", "xml", "127.0.0.1"}, 2, "--format: xml: not one of table, json, csv"},
        {"a format by its number", {"-f", "1", "127.0.0.1"}, 2, "--format"},
        {"a wait that is no number", {"--wait", "nan", "127.0.0.1"}, 2, "--wait"},
        {"an interval without end", {"--interval", "inf", "127.0.0.1"}, 2, "--interval"},
        {"a port other than -p's", {"-p", port, "127.0.0.1:" + stoppingPort}, 2, "ADDRESS"},
        {"no plug-in there",
         {"--plugin", "/nonexistent/libkrw6180plug.so", "127.0.0.1"},
         2,
         "krw6180-clients: cannot load the plug-in /nonexistent/libkrw6180plug.so: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CRun run = Clients(c.args);
        EXPECT_EQ(c.status, run.status) << run.out << run.errors;
        EXPECT_NE(std::string::npos, run.errors.find(c.errors)) << run.errors;
    }
}

TEST_F(HostProgramTest, JsonHoldsEveryReportInArrivalOrderAndTheMissingOnes)
{
    auto agent = krwtest::StartApSim({"--addresses", "2", "--band", "1"});
    const CRun run = Clients({"-p", std::to_string(agent->Port()), "-f", "json", "--wait", "20", "127.0.0.2",
                              "no-such-host.invalid", "localhost"});
    EXPECT_EQ(1, run.status) << run.errors;
    const std::vector<std::string> lines = krwtest::OutputLines(run.out);
    ASSERT_EQ(1u, lines.size()) << run.out;
    const nlohmann::json document = nlohmann::json::parse(lines[0]);
    const nlohmann::json& reports = document.at("reports");
    ASSERT_EQ(3u, reports.size());
    // The failure to start is reported while the retrieval is started.
    EXPECT_EQ(nlohmann::json({{"request", "no-such-host.invalid"},
                              {"status", 1},
                              {"message", "(VaZARO++) Invalid IP Address or DNS name!"},
                              {"address", "no-such-host.invalid"},
                              {"model", "KRW-6180"},
                              {"clients", nlohmann::json::array()}}),
              reports[0]);
    std::set<std::string> requests;
    for (size_t i = 1; i < reports.size(); ++i) {
        const nlohmann::json& report = reports[i];
        requests.insert(report.at("request").get<std::string>());
        EXPECT_EQ(report.at("request") == "localhost" ? "127.0.0.1" : "127.0.0.2", report.at("address"));
        EXPECT_EQ("(VaZARO++) Ok!", report.at("message"));
        ASSERT_EQ(3u, report.at("clients").size());
        EXPECT_EQ(nlohmann::json({{"macAddress", "000D88123456"},
                                  {"band", "5GHz"},
                                  {"authentication", "WPA2-Personal"},
                                  {"rssi", -48},
                                  {"powerSave", "Off"},
                                  {"ssidIndex", "1"}}),
                  report.at("clients")[0]);
    }
    EXPECT_EQ((std::set<std::string>{"127.0.0.2", "localhost"}), requests);
    EXPECT_EQ(nlohmann::json::array(), document.at("missing"));
    EXPECT_EQ(0u, lines[0].find("{\"reports\":[{\"request\":"));
}

// Names of one address share its retrieval: each gets the whole report.
TEST_F(HostProgramTest, NamesOfOneAddressShareOneRetrieval)
{
    auto agent = krwtest::StartApSim({"--log-requests"});
    const CRun run =
        Clients({"-p", std::to_string(agent->Port()), "-f", "json", "127.0.0.1", "127.0.0.1", "localhost"});
    EXPECT_EQ(0, run.status) << run.errors;
    const nlohmann::json reports = nlohmann::json::parse(run.out).at("reports");
    ASSERT_EQ(3u, reports.size());
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(i < 2 ? "127.0.0.1" : "localhost", reports[i].at("request"));
        EXPECT_EQ(3u, reports[i].at("clients").size());
    }
    EXPECT_EQ(1, agent->Logged("request set"));
}

// Octets that are not UTF-8 reach the JSON as Latin-1 characters, so that
// each can be read back; UTF-8 and quotes and controls keep their meaning.
TEST_F(HostProgramTest, JsonCarriesEveryOctetOfATextAsItArrived)
{
    auto agent = krwtest::StartApSim({"--cell", "1:7:x:636166E9", "--cell", "2:7:x:C3A9", "--cell", "3:7:x:22015C0A"});
    const CRun run = Clients({"-p", std::to_string(agent->Port()), "-f", "json", "127.0.0.1"});
    EXPECT_EQ(0, run.status) << run.errors;
    const nlohmann::json clients = nlohmann::json::parse(run.out).at("reports")[0].at("clients");
    ASSERT_EQ(3u, clients.size());
    EXPECT_EQ("caf\xc3\xa9", clients[0].at("ssidIndex"));
    EXPECT_EQ("\xc3\xa9", clients[1].at("ssidIndex"));
    EXPECT_EQ("\"\x01\\\n", clients[2].at("ssidIndex"));
}

TEST_F(HostProgramTest, CsvHasOneLinePerClientAndRepeatsEachRound)
{
    auto agent = krwtest::StartApSim({"--zero-mac-row", "3"});
    const CRun run = Clients({"-p", std::to_string(agent->Port()), "-f", "csv", "--repeat", "2", "--interval", "0",
                              "127.0.0.1", "no-such-host.invalid"});
    EXPECT_EQ(1, run.status);
    const std::string round = "127.0.0.1,000D88123456,2.4GHz,WPA2-Personal,-48,Off,1\n"
                              "127.0.0.1,A0B1C2D3E4F5,2.4GHz,WPA2-Enterprise,-61,On,2\n";
    EXPECT_EQ("address,macAddress,band,authentication,rssi,powerSave,ssidIndex\n" + round + round, run.out);
    EXPECT_NE(std::string::npos,
              run.errors.find("krw6180-clients: no-such-host.invalid: (VaZARO++) Invalid IP Address or DNS name!"));
}

// An agent's control characters reach neither the terminal nor the lines
// raw: ESC, a line feed that would forge a line, and a C1 control.
TEST_F(HostProgramTest, TheTableShowsControlCharactersEscaped)
{
    auto agent =
        krwtest::StartApSim({"--cell", "1:7:x:1B5B324A", "--cell", "2:7:x:0A5C09", "--cell", "3:7:x:41C29B7F"});
    const CRun run = Clients({"-p", std::to_string(agent->Port()), "127.0.0.1"});
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_EQ(std::string::npos, run.out.find('\x1b')) << run.out;
    for (const char* shown : {"  \\x1b[2J\n", "  \\n\\\\\\t\n", "  A\\xc2\\x9b\\x7f\n"})
        EXPECT_NE(std::string::npos, run.out.find(shown)) << shown << "\n" << run.out;
}

// Output that is lost (a full disk) fails the run, in every form of both
// programs that print an agent's data, and the help of every program.
TEST_F(HostProgramTest, LostOutputFailsTheRun)
{
    auto agent = krwtest::StartApSim({});
    const std::string port = std::to_string(agent->Port());
    const std::string macs = "1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1.2";
    const std::vector<std::string> runs[] = {
        {KRW_CLIENTS_PROGRAM, "-p", port, "127.0.0.1"},
        {KRW_CLIENTS_PROGRAM, "-p", port, "-f", "json", "127.0.0.1"},
        {KRW_CLIENTS_PROGRAM, "-p", port, "-f", "csv", "127.0.0.1"},
        {KRW_FETCH_PROGRAM, "-p", port, "--walk", "0", "127.0.0.1", macs},
        {KRW_FETCH_PROGRAM, "-p", port, "-f", "json", "--walk", "0", "127.0.0.1", macs},
        {KRW_CLIENTS_PROGRAM, "--help"},
        {KRW_FETCH_PROGRAM, "--help"},
        {KRW_APSIM_PROGRAM, "--help"},
        {KRW_EXPORTER_PROGRAM, "--help"},
    };
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const std::string errorsPath = (folder / "errors").string();
    for (const auto& argv : runs) {
        std::string command;
        for (const std::string& arg : argv)
            command += arg + " ";
        SCOPED_TRACE(command);
        const int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const pid_t pid =
            krwtest::Spawn(argv, krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), -1, full, errors);
        ::close(errors);
        EXPECT_EQ(1, krwtest::WaitForExit(pid, std::chrono::seconds(60)));
        std::ifstream in(errorsPath);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(std::string::npos, text.find("cannot write the output: No space left on device")) << text;
    }
    ::close(full);
}

// The plug-in's unload waits up to 6 s for requests still out; a host that
// has given up on their reports does not.
TEST_F(HostProgramTest, AHostThatGaveUpOnAReportEndsAtOnce)
{
    auto late = krwtest::StartApSim({"--delay", "20000"});
    const auto start = std::chrono::steady_clock::now();
    const CRun run = Clients({"-p", std::to_string(late->Port()), "-t", "3000", "--wait", "1", "127.0.0.1"});
    EXPECT_EQ(3, run.status) << run.errors;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// The demo's agent ends with its host, also when a signal ends the host.
TEST_F(HostProgramTest, TheDemoAgentEndsWithItsHost)
{
    int out[2];
    ASSERT_EQ(0, ::pipe2(out, O_CLOEXEC));
    const pid_t host =
        krwtest::Spawn({KRW_CLIENTS_PROGRAM, "--demo", "-f", "json", "--repeat", "2", "--interval", "600"},
                       krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), -1, out[1], 2);
    ::close(out[1]);
    std::string round;
    // After the first round the host waits, with its agent running.
    ASSERT_TRUE(krwtest::ReadLine(out[0], &round, std::chrono::seconds(60)));
    ::close(out[0]);
    pid_t agent = 0;
    std::ifstream("/proc/" + std::to_string(host) + "/task/" + std::to_string(host) + "/children") >> agent;
    ASSERT_GT(agent, 0);
    const int agentEnd = static_cast<int>(::syscall(SYS_pidfd_open, agent, 0));
    ASSERT_GE(agentEnd, 0);
    ::kill(host, SIGTERM);
    krwtest::WaitForExit(host, std::chrono::seconds(10));
    pollfd ended{agentEnd, POLLIN, 0};
    EXPECT_EQ(1, ::poll(&ended, 1, 10000));
    if (ended.revents == 0)
        ::kill(agent, SIGKILL);
    ::close(agentEnd);
}

// A hundred access points need more descriptors than a soft limit of 48: the
// host raises its own limit to the hard one and lists every client.
TEST_F(HostProgramTest, ManyAccessPointsRaiseTheDescriptorLimit)
{
    rlimit limit;
    ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &limit));
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < 1024)
        GTEST_SKIP() << "the hard descriptor limit is too low";
    auto agent = krwtest::StartApSim({"--addresses", "100", "--generate", "20"});
    std::vector<std::string> args{"--nofile=48:" + std::to_string(limit.rlim_max),
                                  KRW_CLIENTS_PROGRAM,
                                  "-f",
                                  "csv",
                                  "-t",
                                  "1000",
                                  "-p",
                                  std::to_string(agent->Port())};
    for (int i = 1; i <= 100; ++i)
        args.push_back("127.0.0." + std::to_string(i));
    const CRun run = Clients(args, PRLIMIT_PROGRAM);
    EXPECT_EQ(0, run.status) << run.errors;
    EXPECT_EQ(1u + 100u * 20u, krwtest::OutputLines(run.out).size());
}

TEST_F(HostProgramTest, TheDemoListsTheSampleClientsEveryRound)
{
    const CRun table = Clients({"--demo"});
    EXPECT_EQ(0, table.status) << table.errors;
    for (const char* mac : {"000D88123456", "A0B1C2D3E4F5", "0C8BFD0A1B2C"})
        EXPECT_NE(std::string::npos, table.out.find(mac)) << table.out;
    EXPECT_EQ(std::string::npos, table.out.find("waiting for")) << "progress on a pipe";

    const CRun json = Clients({"--demo", "-f", "json", "--repeat", "3", "--interval", "0.1"});
    EXPECT_EQ(0, json.status) << json.errors;
    const std::vector<std::string> lines = krwtest::OutputLines(json.out);
    ASSERT_EQ(3u, lines.size());
    for (const std::string& line : lines)
        EXPECT_EQ(3u, nlohmann::json::parse(line).at("reports").at(0).at("clients").size());
}

// The README's host of one's own.
TEST_F(HostProgramTest, TheExampleHostListsTheClients)
{
    auto agent = krwtest::StartApSim({});
    int status = -1;
    const std::string out =
        krwtest::RunProgram({KRW_EXAMPLE_PROGRAM, KRW_PLUGIN_MODULE, "127.0.0.1", std::to_string(agent->Port())},
                            krwtest::EnvironmentWith({"TMPDIR=" + folder.string()}), &status);
    EXPECT_EQ(0, status);
    EXPECT_EQ(0u, out.find("127.0.0.1 (KRW-6180), request 1: (VaZARO++) Ok!\n")) << out;
    EXPECT_EQ(4, static_cast<int>(std::count(out.begin(), out.end(), '\n'))) << out;
}

}  // namespace
