#include "host/HostDemo.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const char kListening[] = "listening on 127.0.0.1:";

// The first line of fd, read within the bound.
std::string FirstLine(int fd, Clock::duration bound)
{
    const auto deadline = Clock::now() + bound;
    std::string line;
    char c = 0;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0)
            continue;
        if (::read(fd, &c, 1) != 1 || c == '\n')
            break;
        line += c;
    }
    return line;
}

// True when the child ended within the bound (and was reaped).
bool Reaped(pid_t pid, std::chrono::milliseconds bound)
{
    // A descriptor that becomes readable when the process ends.
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd >= 0) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(bound.count()));
        ::close(fd);
    }
    return ::waitpid(pid, nullptr, WNOHANG) == pid;
}

// Starts argv with its standard output on fd. The child ends with this
// process however this one ends, a signal included: the kernel sends it
// SIGTERM when its parent goes. Between fork and exec only calls that are
// safe there.
pid_t SpawnTiedChild(std::vector<char*>& argv, int fd)
{
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have gone before the line above took effect.
    if (::getppid() != parent || ::dup2(fd, STDOUT_FILENO) < 0)
        ::_exit(127);
    ::execve(argv[0], argv.data(), environ);
    ::_exit(127);
}

}  // namespace

CDemoAccessPoint::~CDemoAccessPoint()
{
    Stop();
}

bool CDemoAccessPoint::Start(const std::string& program, std::string* error)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        *error = "cannot make a pipe";
        return false;
    }
    std::vector<std::string> args{program, "--listen", "127.0.0.1:0"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid = SpawnTiedChild(argv, out[1]);
    ::close(out[1]);
    const std::string line = pid > 0 ? FirstLine(out[0], std::chrono::seconds(15)) : std::string();
    ::close(out[0]);
    if (line.rfind(kListening, 0) == 0)
        port = std::atoi(line.c_str() + sizeof kListening - 1);
    if (port > 0 && port < 65536)
        return true;
    *error = "cannot start the simulated access point " + program;
    Stop();
    return false;
}

void CDemoAccessPoint::Stop()
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    if (!Reaped(pid, std::chrono::seconds(10))) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
    port = 0;
}
