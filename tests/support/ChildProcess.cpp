#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace krwtest {

namespace {

std::vector<char*> CArray(std::vector<std::string>& texts)
{
    std::vector<char*> out;
    for (std::string& t : texts)
        out.push_back(&t[0]);
    out.push_back(nullptr);
    return out;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

}  // namespace

pid_t Spawn(std::vector<std::string> argv, std::vector<std::string> env, int stdinFd, int stdoutFd, int stderrFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    else
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

void StopChild(pid_t child, std::chrono::steady_clock::duration bound)
{
    if (child <= 0)
        return;
    kill(child, SIGTERM);
    WaitForExit(child, bound);
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

bool ReadLine(int fd, std::string* line, std::chrono::steady_clock::duration bound)
{
    line->clear();
    const auto deadline = std::chrono::steady_clock::now() + bound;
    char c = 0;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        const int left = MillisecondsLeft(deadline);
        if (poll(&p, 1, left) <= 0 || read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        line->push_back(c);
    }
}

std::string RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env, int* status,
                       int errorsFd)
{
    const auto bound = std::chrono::seconds(60);
    int fds[2];
    *status = -1;
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::string();
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child = Spawn(argv, env, -1, fds[1], errorsFd >= 0 ? errorsFd : devNull);
    close(fds[1]);
    close(devNull);
    std::string out = child > 0 ? ReadAll(fds[0], bound) : std::string();
    close(fds[0]);
    if (child > 0)
        *status = WaitForExit(child, bound);
    return out;
}

unsigned short SpawnAnnouncingPort(const std::vector<std::string>& argv, const std::string& announcePrefix, int stdinFd,
                                   pid_t* pid, int* output)
{
    const auto bound = std::chrono::seconds(15);
    int out[2];
    *pid = -1;
    if (pipe2(out, O_CLOEXEC) != 0)
        return 0;
    *pid = Spawn(argv, EnvironmentWith({}), stdinFd, out[1], 2);
    close(out[1]);
    std::string line;
    const bool announced = *pid > 0 && ReadLine(out[0], &line, bound) && line.rfind(announcePrefix, 0) == 0;
    const int port = announced ? std::atoi(line.c_str() + announcePrefix.size()) : 0;
    if (port > 0 && port < 65536) {
        if (output != nullptr)
            *output = out[0];
        else
            close(out[0]);
        return static_cast<unsigned short>(port);
    }
    close(out[0]);
    StopChild(*pid, bound);
    *pid = -1;
    return 0;
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        bool replaced = false;
        for (const std::string& own : entries)
            replaced = replaced || NameOf(own) == NameOf(entry);
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), entries.begin(), entries.end());
    return env;
}

std::vector<std::string> OutputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

CChildLines::~CChildLines()
{
    Close();
}

void CChildLines::Attach(int output)
{
    Close();
    fd = output;
}

void CChildLines::Close()
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

void CChildLines::ReadAvailable()
{
    char buffer[65536];
    pollfd p{fd, POLLIN, 0};
    for (int i = 0; i < 1000 && fd >= 0 && poll(&p, 1, 0) > 0; ++i) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        partial.append(buffer, static_cast<size_t>(n));
    }
    size_t start = 0;
    for (size_t end = partial.find('\n'); end != std::string::npos; end = partial.find('\n', start)) {
        lines.push_back(partial.substr(start, end - start));
        start = end + 1;
    }
    partial.erase(0, start);
}

int CChildLines::Count(const std::string& prefix)
{
    ReadAvailable();
    auto entry = std::find_if(counted.begin(), counted.end(), [&](const auto& e) { return e.first == prefix; });
    if (entry == counted.end())
        entry = counted.insert(counted.end(), {prefix, {0, 0}});
    auto& [seen, count] = entry->second;
    for (; seen < lines.size(); ++seen)
        count += lines[seen].compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

bool CChildLines::WaitFor(const std::string& prefix, int count, std::chrono::steady_clock::duration bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (Count(prefix) < count) {
        pollfd p{fd, POLLIN, 0};
        if (fd < 0 || poll(&p, 1, MillisecondsLeft(deadline)) <= 0 || (p.revents & POLLIN) == 0)
            return false;
    }
    return true;
}

}  // namespace krwtest
