#include "bench/ExporterBenchSupport.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/FreePort.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace krwbench {

namespace {

const auto kStartBound = std::chrono::seconds(60);

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reads what has come, waiting until the deadline: 1 with bytes added, 0
// at the end of the stream, -1 on a failure or when the deadline passes.
int ReadMore(int fd, std::string& buffer, Clock::time_point deadline)
{
    char chunk[65536];
    while (true) {
        const ssize_t n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            buffer.append(chunk, static_cast<size_t>(n));
            return 1;
        }
        if (n == 0)
            return 0;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return -1;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0)
            return -1;
    }
}

// The position of marker in buffer, reading until it comes; npos when the
// stream ends or fails first.
size_t ReadUntil(int fd, std::string& buffer, const char* marker, Clock::time_point deadline)
{
    size_t at = buffer.find(marker);
    while (at == std::string::npos) {
        if (ReadMore(fd, buffer, deadline) <= 0)
            return std::string::npos;
        at = buffer.find(marker);
    }
    return at;
}

bool ReadAtLeast(int fd, std::string& buffer, size_t size, Clock::time_point deadline)
{
    while (buffer.size() < size)
        if (ReadMore(fd, buffer, deadline) <= 0)
            return false;
    return true;
}

bool ReadChunked(int fd, std::string& buffer, std::string* body, Clock::time_point deadline)
{
    while (true) {
        const size_t line = ReadUntil(fd, buffer, "\r\n", deadline);
        if (line == std::string::npos)
            return false;
        const size_t size = std::strtoul(buffer.c_str(), nullptr, 16);
        buffer.erase(0, line + 2);
        if (size == 0) {
            // Trailer fields, if any, up to an empty line.
            while (true) {
                const size_t end = ReadUntil(fd, buffer, "\r\n", deadline);
                if (end == std::string::npos)
                    return false;
                buffer.erase(0, end + 2);
                if (end == 0)
                    return true;
            }
        }
        if (!ReadAtLeast(fd, buffer, size + 2, deadline))
            return false;
        body->append(buffer, 0, size);
        buffer.erase(0, size + 2);
    }
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

int errorsFileCount = 0;

}  // namespace

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool CServer::StartAnnouncing(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                              const std::string& prefix, const std::string& errorsPath)
{
    errors = errorsPath;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    const int log = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid = krwtest::Spawn(argv, krwtest::EnvironmentWith(env), -1, out[1], log >= 0 ? log : 2);
    close(out[1]);
    if (log >= 0)
        close(log);
    std::string line;
    const bool announced = pid > 0 && krwtest::ReadLine(out[0], &line, kStartBound) && line.rfind(prefix, 0) == 0;
    close(out[0]);
    const int number = announced ? std::atoi(line.c_str() + prefix.size()) : 0;
    if (number <= 0 || number > 65535) {
        fprintf(stderr, "%s did not start: %s\n%s\n", argv[0].c_str(), line.c_str(), Contents(errors).c_str());
        Stop();
        return false;
    }
    port = static_cast<unsigned short>(number);
    return true;
}

bool CServer::StartListening(const std::vector<std::string>& argv, unsigned short listening,
                             const std::string& readyPath, const std::string& errorsPath)
{
    errors = errorsPath;
    const int log = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid = krwtest::Spawn(argv, krwtest::EnvironmentWith({}), -1, log >= 0 ? log : 2, log >= 0 ? log : 2);
    if (log >= 0)
        close(log);
    port = listening;
    const auto deadline = Clock::now() + kStartBound;
    int status = 0;
    while (pid > 0 && !Reaped(&status) && Clock::now() < deadline) {
        CHttpConnection connection(port);
        CResponse response;
        if (connection.Get(readyPath, &response, std::chrono::seconds(2)) && response.status == 200)
            return true;
        poll(nullptr, 0, 200);
    }
    fprintf(stderr, "%s did not start:\n%s\n", argv[0].c_str(), Contents(errors).c_str());
    Stop();
    return false;
}

bool CServer::Reaped(int* status)
{
    int raw = 0;
    if (pid <= 0 || waitpid(pid, &raw, WNOHANG) != pid) {
        poll(nullptr, 0, 2);
        return pid <= 0;
    }
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    pid = -1;
    return true;
}

void CServer::Kill()
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

void CServer::Stop()
{
    if (pid > 0)
        krwtest::StopChild(pid, std::chrono::seconds(30));
    pid = -1;
}

bool StartExporter(CServer& server, const std::string& program, unsigned short agentPort,
                   const std::vector<std::string>& options, const std::string& folder)
{
    // An earlier build copied out of its tree keeps its libraries beside it.
    const std::filesystem::path libraries = std::filesystem::path(program).parent_path() / "lib";
    std::vector<std::string> env;
    if (std::filesystem::is_directory(libraries))
        env.push_back("LD_LIBRARY_PATH=" + libraries.string());
    std::vector<std::string> argv{program, "--web.listen-address", "127.0.0.1:0", "-p", std::to_string(agentPort), "-t",
                                  "1000"};
    argv.insert(argv.end(), options.begin(), options.end());
    const std::string errors = folder + "/exporter-" + std::to_string(++errorsFileCount) + ".log";
    return server.StartAnnouncing(argv, env, "listening on 127.0.0.1:", errors);
}

bool StartPrometheus(CServer& server, const std::string& configuration, const std::string& folder)
{
    const std::string name = folder + "/prometheus-" + std::to_string(++errorsFileCount);
    std::ofstream(name + ".yml") << configuration;
    // Prometheus cannot be told to pick its own port: one free a moment ago.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const unsigned short port = krwtest::FindFreeTcpPort();
        if (server.StartListening({PROMETHEUS_PROGRAM, "--config.file=" + name + ".yml",
                                   "--storage.tsdb.path=" + name + "-data",
                                   "--web.listen-address=127.0.0.1:" + std::to_string(port)},
                                  port, "/-/ready", name + ".log"))
            return true;
    }
    return false;
}

int Connect(unsigned short port, const char* source, bool blocking)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (source != nullptr) {
        // The port is chosen at connect(), for the whole address pair, so
        // that thousands of connections from one address do not run short.
        setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
        inet_pton(AF_INET, source, &address.sin_addr);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            const int error = errno;
            close(fd);
            errno = error;
            return -1;
        }
    }
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && (blocking || errno != EINPROGRESS)) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const char* data, size_t size, Clock::time_point deadline)
{
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, MillisecondsLeft(deadline)) <= 0)
            return false;
    }
    return true;
}

bool ReadResponse(int fd, std::string& buffer, CResponse* response, Clock::time_point deadline)
{
    *response = CResponse();
    const size_t end = ReadUntil(fd, buffer, "\r\n\r\n", deadline);
    if (end == std::string::npos)
        return false;
    const std::string head = Lower(buffer.substr(0, end + 2));
    buffer.erase(0, end + 4);
    if (head.rfind("http/1.", 0) != 0 || head.size() < 12)
        return false;
    response->status = std::atoi(head.c_str() + 9);
    const bool http10 = head.compare(0, 8, "http/1.0") == 0;
    response->keepAlive = http10 ? head.find("\r\nconnection: keep-alive") != std::string::npos
                                 : head.find("\r\nconnection: close") == std::string::npos;
    const size_t length = head.find("\r\ncontent-length:");
    const size_t encoding = head.find("\r\ntransfer-encoding:");
    if (encoding != std::string::npos && head.find("chunked", encoding) != std::string::npos)
        return ReadChunked(fd, buffer, &response->body, deadline);
    if (length != std::string::npos) {
        const size_t size = std::strtoull(head.c_str() + length + 17, nullptr, 10);
        if (!ReadAtLeast(fd, buffer, size, deadline))
            return false;
        response->body = buffer.substr(0, size);
        buffer.erase(0, size);
        return true;
    }
    if (response->status == 204 || response->status == 304 || response->status < 200)
        return true;
    // Neither: the body runs to the close.
    response->keepAlive = false;
    int more = 1;
    while (more > 0)
        more = ReadMore(fd, buffer, deadline);
    response->body.swap(buffer);
    buffer.clear();
    return more == 0;
}

bool CHttpConnection::Get(const std::string& path, CResponse* response, Clock::duration bound)
{
    const auto deadline = Clock::now() + bound;
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nX-Prometheus-Scrape-Timeout-Seconds: " +
                                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(bound).count()) +
                                "\r\n\r\n";
    // A kept connection the server has closed meanwhile is opened again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool reused = fd >= 0;
        if (fd < 0) {
            fd = Connect(port);
            if (fd < 0)
                return false;
            ++opened;
            buffer.clear();
        }
        if (SendAll(fd, request.data(), request.size(), deadline) && ReadResponse(fd, buffer, response, deadline)) {
            if (!response->keepAlive)
                Close();
            return true;
        }
        Close();
        if (!reused)
            return false;
    }
    return false;
}

void CHttpConnection::Close()
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

std::string Fetch(unsigned short port, const std::string& path, Clock::duration bound)
{
    CHttpConnection connection(port);
    CResponse response;
    return connection.Get(path, &response, bound) ? response.body : std::string();
}

std::string UrlEncode(const std::string& text)
{
    std::string out;
    char escaped[4];
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

double Sample(const std::string& metrics, const std::string& name)
{
    for (size_t at = metrics.find(name); at != std::string::npos; at = metrics.find(name, at + 1)) {
        const size_t after = at + name.size();
        if ((at == 0 || metrics[at - 1] == '\n') && after < metrics.size() && metrics[after] == ' ')
            return std::strtod(metrics.c_str() + after + 1, nullptr);
    }
    return std::nan("");
}

long StatusField(pid_t pid, const char* field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    const std::string prefix = field;
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

double CpuSeconds(pid_t pid)
{
    const std::string stat = Contents("/proc/" + std::to_string(pid) + "/stat");
    const size_t name = stat.rfind(')');
    if (name == std::string::npos)
        return -1;
    // After the name: state, then utime and stime as the 12th and 13th.
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    double ticks = 0;
    for (int i = 0; i < 13 && fields >> field; ++i)
        if (i >= 11)
            ticks += std::strtod(field.c_str(), nullptr);
    return fields ? ticks / static_cast<double>(sysconf(_SC_CLK_TCK)) : -1;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace krwbench
