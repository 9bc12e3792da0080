#include "tests/support/SnmpdAgent.h"

#include "tests/support/FreePort.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace krwtest {

const char* const CSnmpdAgent::readCommunity = "public";
const char* const CSnmpdAgent::writeCommunity = "private";

namespace {

const int kStartAttempts = 3;
const auto kAnswerWait = std::chrono::seconds(15);
const auto kStopWait = std::chrono::seconds(10);
const auto kToolWait = std::chrono::seconds(30);

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
    if (folder.empty())
        return;
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0)
        return;
}

// The tools and the agent read only the files of the agent's folder.
std::vector<std::string> ToolEnvironment(const std::string& folder)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        if (entry.rfind("SNMPCONFPATH=", 0) != 0 && entry.rfind("MIBS=", 0) != 0 &&
            entry.rfind("SNMP_PERSISTENT_DIR=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("SNMPCONFPATH=" + folder);
    env.push_back("SNMP_PERSISTENT_DIR=" + folder + "/state");
    return env;
}

std::vector<char*> CArray(std::vector<std::string>& texts)
{
    std::vector<char*> out;
    for (std::string& t : texts)
        out.push_back(&t[0]);
    out.push_back(nullptr);
    return out;
}

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, int stdoutFd, int stderrFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    posix_spawn_file_actions_adddup2(&actions, stderrFd, 2);
    std::vector<char*> args = CArray(argv);
    std::vector<char*> envp = CArray(env);
    pid_t child = -1;
    if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Waits for the child within the bound; kills it when the bound passes.
int WaitForExit(pid_t child, std::chrono::steady_clock::duration bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        poll(nullptr, 0, 10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(int fd, std::chrono::steady_clock::duration bound)
{
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
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
         << "rocommunity " << readCommunity << " 127.0.0.1\n"
         << "rwcommunity " << writeCommunity << " 127.0.0.1\n"
         << "sysLocation krw-test-agent\n"
         << "master off\n";
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
    port = FindFreeUdpPort();
    if (port == 0 || !WriteConfiguration(error))
        return false;
    std::string log = folder + "/snmpd.log";
    int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (logFd < 0) {
        if (error)
            *error = "cannot open " + log;
        return false;
    }
    pid =
        Spawn({SNMPD_PROGRAM, "-f", "-C", "-r", "-c", folder + "/snmpd.conf", "-Lf", log, "-p", folder + "/snmpd.pid"},
              ToolEnvironment(folder), logFd, logFd);
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
    Stop();
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
        RunTool(SNMPGET_PROGRAM, {"-v2c", "-c", readCommunity, "-t", "0.2", "-r", "0"}, {"1.3.6.1.2.1.1.3.0"},
                &toolStatus);
        if (toolStatus == 0)
            return true;
    }
    return false;
}

void CSnmpdAgent::Stop()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        if (WaitForExit(pid, kStopWait) < 0)
            kill(pid, SIGKILL);
        pid = -1;
    }
    if (!folder.empty() && getenv("KRW_KEEP_AGENT_FOLDER") == nullptr) {
        RemoveFolder(folder);
        folder.clear();
    }
}

std::string CSnmpdAgent::RunTool(const std::string& program, const std::vector<std::string>& args,
                                 const std::vector<std::string>& oids, int* status) const
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        if (status)
            *status = -1;
        return std::string();
    }
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(ToolTarget());
    argv.insert(argv.end(), oids.begin(), oids.end());
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t child = Spawn(argv, ToolEnvironment(folder), fds[1], devNull);
    close(fds[1]);
    close(devNull);
    std::string out = child > 0 ? ReadAll(fds[0], kToolWait) : std::string();
    close(fds[0]);
    int code = child > 0 ? WaitForExit(child, kToolWait) : -1;
    if (status)
        *status = code;
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string CSnmpdAgent::Snmpget(const std::string& oid, int* status) const
{
    return RunTool(SNMPGET_PROGRAM, {"-On", "-Oe", "-v2c", "-c", readCommunity}, {oid}, status);
}

}  // namespace krwtest
