#pragma once

#include <chrono>
#include <csignal>
#include <string>
#include <sys/types.h>
#include <vector>

// What the exporter's load measurements share: the servers they start (the
// exporter, an earlier build of it, Prometheus), a plain HTTP/1.1 client on
// loopback sockets, and the server's figures read from /proc.
namespace krwbench {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start);

// A server program on a loopback port, stopped by its process id. Its
// standard error goes to a file, printed when it cannot be started.
class CServer {
public:
    CServer() = default;
    ~CServer() { Stop(); }
    CServer(const CServer&) = delete;
    CServer& operator=(const CServer&) = delete;

    // Starts argv (with these environment entries) and reads its first line,
    // which must be prefix followed by the port it listens on.
    bool StartAnnouncing(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& prefix, const std::string& errorsPath);
    // Starts argv, which listens on port, and waits until GET readyPath
    // answers 200.
    bool StartListening(const std::vector<std::string>& argv, unsigned short port, const std::string& readyPath,
                        const std::string& errorsPath);
    // SIGTERM, then SIGKILL when it has not exited within a bound.
    void Stop();
    // Sends SIGTERM and waits (bounded by limit) for the process to exit, calling
    // whileWaiting every few milliseconds; the seconds it took, or -1 when
    // it did not exit by itself (it is killed then). *status is its exit status.
    template <typename F>
    double Terminate(std::chrono::seconds limit, int* status, F whileWaiting);

    pid_t Pid() const { return pid; }
    unsigned short Port() const { return port; }

private:
    bool Reaped(int* status);
    void Kill();

    pid_t pid = -1;
    unsigned short port = 0;
    std::string errors;
};

// The exporter program (krw6180-exporter of this build, or an earlier one
// in a folder of its own with its libraries in lib/ beside it) answering
// for access points on agentPort.
bool StartExporter(CServer& server, const std::string& program, unsigned short agentPort,
                   const std::vector<std::string>& options, const std::string& folder);

// Prometheus with this configuration, its data in folder.
bool StartPrometheus(CServer& server, const std::string& configuration, const std::string& folder);

// A TCP connection to 127.0.0.1:port, from source (an address of the
// loopback network) when given; TCP_NODELAY as Prometheus' client has it.
// Non-blocking ones may still be connecting. -1 when it cannot be had.
int Connect(unsigned short port, const char* source = nullptr, bool blocking = true);

struct CResponse {
    int status = 0;
    std::string body;
    bool keepAlive = false;
};

// Writes all of data; false when the connection fails or the deadline passes.
bool SendAll(int fd, const char* data, size_t size, Clock::time_point deadline);
// Reads one response (Content-Length, chunked or until the close); buffer
// keeps what came after it. False when the connection closes or fails
// first or the deadline passes.
bool ReadResponse(int fd, std::string& buffer, CResponse* response, Clock::time_point deadline);

// A keep-alive HTTP connection, opened again whenever the server closes it.
class CHttpConnection {
public:
    explicit CHttpConnection(unsigned short port) : port(port) {}
    ~CHttpConnection() { Close(); }
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    bool Get(const std::string& path, CResponse* response, Clock::duration bound = std::chrono::seconds(30));
    void Close();
    // Connections opened so far.
    int Opened() const { return opened; }

private:
    unsigned short port;
    int fd = -1;
    int opened = 0;
    std::string buffer;
};

// GET path on a connection of its own; the body, or empty.
std::string Fetch(unsigned short port, const std::string& path, Clock::duration bound = std::chrono::seconds(30));

std::string UrlEncode(const std::string& text);

// The value of the first sample line "name value" of a metrics text, name
// with its labels if it has any; NaN when there is none.
double Sample(const std::string& metrics, const std::string& name);

// A field of /proc/PID/status as a number (VmRSS: in kB, Threads:); -1
// when it cannot be read.
long StatusField(pid_t pid, const char* field);

// The CPU time (user and system) the process has used, in seconds; -1 when
// it cannot be read.
double CpuSeconds(pid_t pid);

double Median(std::vector<double> values);

}  // namespace krwbench

template <typename F>
double krwbench::CServer::Terminate(std::chrono::seconds limit, int* status, F whileWaiting)
{
    *status = -1;
    if (pid <= 0)
        return -1;
    const auto start = Clock::now();
    ::kill(pid, SIGTERM);
    while (!Reaped(status)) {
        if (Clock::now() - start > limit) {
            Kill();
            return -1;
        }
        whileWaiting();
    }
    return SecondsSince(start);
}
