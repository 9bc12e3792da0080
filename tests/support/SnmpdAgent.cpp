#include "tests/support/SnmpdAgent.h"

#include "tests/support/FreePort.h"

#include "tests/support/ChildProcess.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace krwtest {

const char* const CSnmpdAgent::kReadCommunity = "public";
const char* const CSnmpdAgent::kWriteCommunity = "private";

namespace {

const int kStartAttempts = 3;
const auto kAnswerWait = std::chrono::seconds(15);
const auto kStopWait = std::chrono::seconds(10);

std::string MakeScratchFolder()
{
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/krw-snmpd-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        return std::string();
    return pattern;
}

void RemoveFolder(const std::string& folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// The tools and the agent read only the files of the agent's folder.
std::vector<std::string> ToolEnvironment(const std::string& folder)
{
    return EnvironmentWith({"SNMPCONFPATH=" + folder, "SNMP_PERSISTENT_DIR=" + folder + "/state", "MIBS="});
}

std::string UserLine(const SnmpdUser& user)
{
    std::string line = "createUser " + user.name;
    if (!user.authProtocol.empty())
        line += " " + user.authProtocol + " \"" + user.authPassword + "\"";
    if (!user.privProtocol.empty())
        line += " " + user.privProtocol + " \"" + user.privPassword + "\"";
    return line;
}

std::string AccessLine(const SnmpdUser& user)
{
    const char* level = user.privProtocol.empty() ? (user.authProtocol.empty() ? "noauth" : "auth") : "priv";
    return "rwuser " + user.name + " " + level;
}

}  // namespace

CSnmpdAgent::CSnmpdAgent() : users(DefaultUsers()) {}

CSnmpdAgent::CSnmpdAgent(std::vector<SnmpdUser> agentUsers) : users(std::move(agentUsers)) {}

CSnmpdAgent::~CSnmpdAgent()
{
    Stop();
}

std::vector<SnmpdUser> CSnmpdAgent::DefaultUsers()
{
    return {
        {"noAuthUser", "", "", "", ""},
        {"authUser", "SHA", "authpassword1", "", ""},
        {"privUser", "SHA", "authpassword1", "AES", "privpassword1"},
        {"strongUser", "SHA-512", "authpassword2", "AES-256", "privpassword2"},
    };
}

SnmpdUser CSnmpdAgent::User(const std::string& name)
{
    for (const SnmpdUser& user : DefaultUsers())
        if (user.name == name)
            return user;
    return SnmpdUser{name, "", "", "", ""};
}

std::string CSnmpdAgent::ToolTarget() const
{
    return "udp:127.0.0.1:" + std::to_string(port);
}

bool CSnmpdAgent::WriteConfiguration(std::string* error)
{
    std::ofstream conf(folder + "/snmpd.conf");
    conf << "agentaddress udp:127.0.0.1:" << port << "\n"
         << "rocommunity " << kReadCommunity << " 127.0.0.1\n"
         << "rwcommunity " << kWriteCommunity << " 127.0.0.1\n"
         << "sysLocation krw-test-agent\n"
         << "master off\n";
    if (!engineId.empty())
        conf << "engineID " << engineId << "\n";
    for (const SnmpdUser& user : users)
        conf << UserLine(user) << "\n" << AccessLine(user) << "\n";
    std::ofstream tools(folder + "/snmp.conf");
    tools << "mibs :\n";
    if (!conf || !tools) {
        if (error)
            *error = "cannot write the agent's configuration in " + folder;
        return false;
    }
    return true;
}

bool CSnmpdAgent::Launch(std::string* error)
{
    if (port == 0 || !WriteConfiguration(error))
        return false;
    std::string log = folder + "/snmpd.log";
    int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (logFd < 0) {
        if (error)
            *error = "cannot open " + log;
        return false;
    }
    // The state folder's file is where the agent keeps its engine boots (and
    // identifier) from one run to the next; -C would skip it otherwise.
    const std::string files = folder + "/snmpd.conf," + folder + "/state/snmpd.conf";
    pid = Spawn({SNMPD_PROGRAM, "-f", "-C", "-r", "-c", files, "-Lf", log, "-p", folder + "/snmpd.pid"},
                ToolEnvironment(folder), -1, logFd, logFd);
    close(logFd);
    if (pid <= 0) {
        if (error)
            *error = std::string("cannot start ") + SNMPD_PROGRAM;
        return false;
    }
    if (WaitUntilAnswering())
        return true;
    if (error)
        *error = "snmpd did not answer on port " + std::to_string(port) + "; see " + log;
    StopProcess();
    return false;
}

bool CSnmpdAgent::Start(std::string* error)
{
    if (IsRunning())
        return true;
    folder = MakeScratchFolder();
    if (folder.empty()) {
        if (error)
            *error = "cannot create a scratch folder";
        return false;
    }
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        port = FindFreeUdpPort();
        if (Launch(error))
            return true;
    }
    return false;
}

bool CSnmpdAgent::Restart(AgentState state, std::string* error)
{
    StopProcess();
    if (state == AgentState::wiped)
        RemoveFolder(folder + "/state");
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (Launch(error))
            return true;
    }
    return false;
}

bool CSnmpdAgent::WaitUntilAnswering()
{
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        int toolStatus = -1;
        RunTool(SNMPGET_PROGRAM, {"-v2c", "-c", kReadCommunity, "-t", "0.2", "-r", "0"}, {"1.3.6.1.2.1.1.3.0"},
                &toolStatus);
        if (toolStatus == 0)
            return true;
    }
    return false;
}

void CSnmpdAgent::StopProcess()
{
    StopChild(pid, kStopWait);
    pid = -1;
}

void CSnmpdAgent::Stop()
{
    StopProcess();
    if (!folder.empty() && getenv("KRW_KEEP_AGENT_FOLDER") == nullptr) {
        RemoveFolder(folder);
        folder.clear();
    }
}

std::string CSnmpdAgent::RunTool(const std::string& program, const std::vector<std::string>& args,
                                 const std::vector<std::string>& oids, int* status) const
{
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(ToolTarget());
    argv.insert(argv.end(), oids.begin(), oids.end());
    int code = -1;
    std::string out = RunProgram(argv, ToolEnvironment(folder), &code);
    if (status)
        *status = code;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string CSnmpdAgent::Snmpget(const std::string& oid, int* status) const
{
    return RunTool(SNMPGET_PROGRAM, {"-On", "-Oe", "-v2c", "-c", kReadCommunity}, {oid}, status);
}

}  // namespace krwtest
