#include "bench/ExporterBenchLoad.h"

#include "bench/BenchPrograms.h"
#include "bench/ExporterBenchSupport.h"

#include <nlohmann/json.hpp>

#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

namespace krwbench {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const int kClients = 20;  // of every simulated access point

// The exporters to measure: this build, and the earlier one when given.
struct CSubject {
    const char* name;
    std::string program;
};

std::vector<CSubject> Subjects(const CLoadSettings& settings)
{
    std::vector<CSubject> subjects{{"new", settings.exporter}};
    if (!settings.before.empty())
        subjects.push_back({"before", settings.before});
    return subjects;
}

double Megabytes(long kilobytes)
{
    return kilobytes / 1024.0;
}

void Sleep(Clock::duration duration)
{
    std::this_thread::sleep_for(duration);
}

std::string ProbePath(const std::string& target)
{
    return "/probe?target=" + target;
}

bool ProbeSucceeded(const CResponse& response)
{
    return response.status == 200 && Sample(response.body, "krw6180_probe_success") == 1;
}

// ---- slow clients ------------------------------------------------------

const int kSlowTargets = 100;
const int kTricklers = 4200;
const int kTrickleSeconds = 90;
const char kTrickleSource[] = "127.0.0.2";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The README's scrape configuration for these access points and this
// exporter, scraped every 5 s.
std::string ScrapeConfiguration(unsigned short exporterPort, const std::vector<std::string>& targets, std::string* job)
{
    const std::string readme = ReadFile(KRW_SOURCE_DIR "/README.md");
    std::smatch block, name;
    if (!std::regex_search(readme, block, std::regex("```yaml\n(scrape_configs:[^`]*)```")))
        return std::string();
    std::string configuration = block[1];
    if (std::regex_search(configuration, name, std::regex("job_name: *([A-Za-z0-9_]+)")))
        *job = name[1];
    std::string list;
    for (const std::string& target : targets)
        list += (list.empty() ? "" : ", ") + target;
    configuration = std::regex_replace(configuration, std::regex("192\\.0\\.2\\.10"), list);
    configuration = std::regex_replace(configuration, std::regex("127\\.0\\.0\\.1:9180"),
                                       "127.0.0.1:" + std::to_string(exporterPort));
    return "global:\n  scrape_interval: 5s\n  scrape_timeout: 4s\n" + configuration;
}

double WallClock()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// One figure from Prometheus' query API, at the given time (now when 0);
// NaN when it has none.
double Query(unsigned short port, const std::string& expression, double at = 0)
{
    std::string path = "/api/v1/query?query=" + UrlEncode(expression);
    if (at > 0) {
        char time[32];
        snprintf(time, sizeof time, "%.3f", at);
        path += std::string("&time=") + time;
    }
    const nlohmann::json answer = nlohmann::json::parse(Fetch(port, path), nullptr, false);
    if (!answer.is_object() || answer.value("status", "") != "success" || !answer["data"]["result"].is_array() ||
        answer["data"]["result"].empty())
        return std::nan("");
    const nlohmann::json& value = answer["data"]["result"][0]["value"];
    return value.is_array() && value.size() == 2 && value[1].is_string() ? std::stod(value[1].get<std::string>())
                                                                         : std::nan("");
}

// Connections that each send the start of a request, one byte a second,
// and never finish it. Those the server closes are counted, and opened
// again at the next step when reopen is set.
class CTrickle {
public:
    CTrickle(unsigned short port, int count, bool reopen) : port(port), reopen(reopen), slots(count)
    {
        text = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        for (int line = 0; text.size() < 4096; ++line)
            text += "X-Slow-" + std::to_string(line) + ": 1\r\n";
    }
    ~CTrickle() { CloseAll(); }
    CTrickle(const CTrickle&) = delete;
    CTrickle& operator=(const CTrickle&) = delete;

    // One second's step.
    void Step()
    {
        NoticeClosed();
        for (CSlot& slot : slots)
            if (slot.fd == kNever || (slot.fd == kClosed && reopen))
                Open(slot);
        for (CSlot& slot : slots) {
            if (slot.fd < 0 || slot.sent >= text.size())
                continue;
            const ssize_t n = send(slot.fd, text.data() + slot.sent, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n == 1)
                ++slot.sent;
            else if (errno != EAGAIN && errno != EWOULDBLOCK)
                Closed(slot);
        }
    }

    void CloseAll()
    {
        for (CSlot& slot : slots)
            if (slot.fd >= 0) {
                close(slot.fd);
                slot.fd = kClosed;
            }
    }

    int OpenNow() const
    {
        return static_cast<int>(std::count_if(slots.begin(), slots.end(), [](const CSlot& s) { return s.fd >= 0; }));
    }

    long opened = 0;        // connections opened
    long notOpened = 0;     // connect() failed at once
    long closedAtOnce = 0;  // by the server within 2 s of their opening
    long closedLater = 0;   // by the server after that
    double laterLifetimes = 0;
    long answered = 0;  // the server wrote something before closing (an error status)

private:
    static const int kNever = -1;
    static const int kClosed = -2;
    struct CSlot {
        int fd = kNever;
        size_t sent = 0;
        Clock::time_point start;
    };

    void Open(CSlot& slot)
    {
        slot.fd = Connect(port, kTrickleSource, false);
        slot.sent = 0;
        slot.start = Clock::now();
        if (slot.fd >= 0) {
            ++opened;
        } else {
            ++notOpened;
            slot.fd = kClosed;
        }
    }

    void Closed(CSlot& slot)
    {
        close(slot.fd);
        slot.fd = kClosed;
        const double lifetime = SecondsSince(slot.start);
        if (lifetime < 2) {
            ++closedAtOnce;
        } else {
            ++closedLater;
            laterLifetimes += lifetime;
        }
    }

    void NoticeClosed()
    {
        std::vector<pollfd> polled;
        std::vector<CSlot*> of;
        for (CSlot& slot : slots)
            if (slot.fd >= 0) {
                polled.push_back({slot.fd, POLLIN | POLLRDHUP, 0});
                of.push_back(&slot);
            }
        if (polled.empty() || poll(polled.data(), polled.size(), 0) <= 0)
            return;
        char buffer[4096];
        for (size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].revents == 0)
                continue;
            bool ended = (polled[i].revents & (POLLHUP | POLLERR)) != 0;
            for (int reads = 0; reads < 16 && !ended; ++reads) {
                const ssize_t n = recv(polled[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0 && reads == 0)
                    ++answered;
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
                    ended = true;
                if (n <= 0)
                    break;
            }
            if (ended)
                Closed(*of[i]);
        }
    }

    unsigned short port;
    bool reopen;
    std::vector<CSlot> slots;
    std::string text;
};

struct CProcessFigures {
    long threads = -1;
    long residentKb = -1;
    double connections = std::nan("");
    double closedByLimit = std::nan("");
    double closedByTimeout = std::nan("");
};

CProcessFigures Figures(const CServer& exporter)
{
    CProcessFigures figures;
    figures.threads = StatusField(exporter.Pid(), "Threads:");
    figures.residentKb = StatusField(exporter.Pid(), "VmRSS:");
    const std::string metrics = Fetch(exporter.Port(), "/metrics");
    figures.connections = Sample(metrics, "krw6180_exporter_http_connections");
    figures.closedByLimit = Sample(metrics, "krw6180_exporter_http_connections_closed_total{reason=\"limit\"}");
    figures.closedByTimeout =
        Sample(metrics, "krw6180_exporter_http_connections_closed_total{reason=\"request_timeout\"}");
    return figures;
}

void PrintFigures(const char* when, const CProcessFigures& f)
{
    printf("  %-22s threads %3ld  RSS %7.1f MB  open connections %6.0f  closed by limit %8.0f  by timeout %6.0f\n",
           when, f.threads, Megabytes(f.residentKb), f.connections, f.closedByLimit, f.closedByTimeout);
}

}  // namespace

void MeasureSlowClients(const CLoadSettings& settings)
{
    printf("\nslow: Prometheus scrapes %d access points every 5 s (timeout 4 s) while %d connections from %s\n"
           "send a request a byte a second for %d s, each opened again once closed:\n",
           kSlowTargets, kTricklers, kTrickleSource, kTrickleSeconds);
    fflush(stdout);
    CAgents agents(kSlowTargets, kClients, 0, 1);
    CServer exporter, prometheus;
    std::string job;
    if (agents.Port() == 0 || !StartExporter(exporter, settings.exporter, agents.Port(), {}, settings.folder)) {
        printf("  cannot start krw6180-apsim or the exporter\n");
        return;
    }
    const std::string configuration = ScrapeConfiguration(exporter.Port(), LoopbackAddresses(kSlowTargets), &job);
    if (configuration.empty() || job.empty() || !StartPrometheus(prometheus, configuration, settings.folder)) {
        printf("  cannot start Prometheus (or README.md has no scrape configuration)\n");
        return;
    }
    const std::string up = "up{job=\"" + job + "\"}";
    // Steady: every target scraped successfully, then one more interval.
    const auto steadyStart = Clock::now();
    double upNow = 0;
    while (SecondsSince(steadyStart) < 60 && !(upNow == kSlowTargets)) {
        Sleep(seconds(1));
        upNow = Query(prometheus.Port(), "sum(" + up + ")");
    }
    printf("  %.0f of %d targets up after %.0f s; one more interval to settle\n", upNow, kSlowTargets,
           SecondsSince(steadyStart));
    Sleep(seconds(5));
    PrintFigures("before", Figures(exporter));

    CTrickle trickle(exporter.Port(), kTricklers, true);
    const double windowStart = WallClock();
    const auto start = Clock::now();
    long threadsMost = 0;
    double connectionsMost = 0;
    CProcessFigures during;
    for (int step = 0; step < kTrickleSeconds; ++step) {
        trickle.Step();
        threadsMost = std::max(threadsMost, StatusField(exporter.Pid(), "Threads:"));
        if (step % 10 == 9) {
            during = Figures(exporter);
            connectionsMost = std::max(connectionsMost, during.connections);
        }
        std::this_thread::sleep_until(start + seconds(step + 1));
    }
    const double windowEnd = WallClock();
    PrintFigures("at the end of the run", during);
    printf("  during the run: threads at most %ld, open connections at most %.0f (sampled every 10 s)\n", threadsMost,
           connectionsMost);
    printf("  slow connections: %ld opened, %ld not opened, %ld closed by the server within 2 s, %ld later "
           "(after %.1f s on average), %ld with an answer before the close; %d held by the bench at the end\n",
           trickle.opened, trickle.notOpened, trickle.closedAtOnce, trickle.closedLater,
           trickle.closedLater > 0 ? trickle.laterLifetimes / trickle.closedLater : 0.0, trickle.answered,
           trickle.OpenNow());
    trickle.CloseAll();
    // Scrapes that began before the end have landed by now.
    Sleep(seconds(6));
    CProcessFigures after = Figures(exporter);
    PrintFigures("6 s after", after);
    printf("  exporter's peak RSS (VmHWM) %.1f MB\n", Megabytes(StatusField(exporter.Pid(), "VmHWM:")));
    const std::string range = "[" + std::to_string(static_cast<int>(std::lround(windowEnd - windowStart))) + "s]";
    const double scrapes = Query(prometheus.Port(), "sum(count_over_time(" + up + range + "))", windowEnd);
    const double succeeded = Query(prometheus.Port(), "sum(sum_over_time(" + up + range + "))", windowEnd);
    const double slowest = Query(
        prometheus.Port(), "max(max_over_time(scrape_duration_seconds{job=\"" + job + "\"}" + range + "))", windowEnd);
    printf("  scrapes of the %d targets during the run: %.0f, failed %.0f, slowest %.3f s\n", kSlowTargets, scrapes,
           scrapes - succeeded, slowest);

    // Stopping with slow connections open: no reopening, SIGTERM after a
    // few bytes each.
    CTrickle holding(exporter.Port(), kTricklers, false);
    for (int step = 0; step < 3; ++step) {
        holding.Step();
        Sleep(seconds(1));
    }
    const int held = holding.OpenNow();
    auto lastStep = Clock::now();
    int status = -1;
    const double stopping = exporter.Terminate(seconds(60), &status, [&] {
        if (Clock::now() - lastStep >= seconds(1)) {
            holding.Step();
            lastStep = Clock::now();
        }
    });
    if (stopping < 0)
        printf("  stopping: SIGTERM with %d slow connections open: not exited within 60 s (killed)\n", held);
    else
        printf("  stopping: SIGTERM with %d slow connections open: exited after %.3f s, status %d\n", held, stopping,
               status);
    fflush(stdout);
}

// ---- burst -------------------------------------------------------------

namespace {

const int kBurstConnections = 1000;
const int kBurstRounds = 3;

struct CBurst {
    int answered = 0;
    int reset = 0;    // ECONNRESET
    int refused = 0;  // ECONNREFUSED, or no connection at all
    int other = 0;    // another status, a short answer, or none within the bound
    double seconds = 0;
};

// Whether text holds a whole 200 answer (the connection has ended).
bool WholeAnswer(const std::string& text)
{
    const size_t end = text.find("\r\n\r\n");
    if (end == std::string::npos || text.compare(0, 13, "HTTP/1.1 200 ") != 0)
        return false;
    std::string head = text.substr(0, end + 2);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    const size_t length = head.find("\r\ncontent-length:");
    if (length != std::string::npos)
        return text.size() - end - 4 >= std::strtoull(head.c_str() + length + 17, nullptr, 10);
    if (head.find("chunked") != std::string::npos)
        return text.size() >= 5 && text.compare(text.size() - 5, 5, "0\r\n\r\n") == 0;
    return true;
}

// count connections opened at once, each sending one request with
// Connection: close as soon as it is connected; bounded to 60 s.
CBurst Burst(unsigned short port, const std::string& path, int count)
{
    struct CConnection {
        int fd = -1;
        bool sent = false;
        std::string received;
    };
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    CBurst burst;
    std::vector<CConnection> connections(static_cast<size_t>(count));
    const int poller = epoll_create1(EPOLL_CLOEXEC);
    int pending = 0;
    const auto start = Clock::now();
    auto lastAnswer = start;
    for (size_t i = 0; i < connections.size(); ++i) {
        connections[i].fd = Connect(port, nullptr, false);
        if (connections[i].fd < 0) {
            ++(errno == ECONNRESET ? burst.reset : errno == ECONNREFUSED ? burst.refused : burst.other);
            continue;
        }
        epoll_event event{};
        event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP;
        event.data.u64 = i;
        epoll_ctl(poller, EPOLL_CTL_ADD, connections[i].fd, &event);
        ++pending;
    }
    auto finish = [&](CConnection& c, int* counter) {
        ++*counter;
        close(c.fd);
        c.fd = -1;
        --pending;
        lastAnswer = Clock::now();
    };
    std::vector<epoll_event> events(256);
    char buffer[65536];
    while (pending > 0 && SecondsSince(start) < 60) {
        const int n = epoll_wait(poller, events.data(), static_cast<int>(events.size()), 100);
        for (int e = 0; e < n; ++e) {
            CConnection& c = connections[events[e].data.u64];
            if (c.fd < 0)
                continue;
            if (!c.sent && (events[e].events & EPOLLOUT) != 0) {
                int error = 0;
                socklen_t size = sizeof error;
                getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &error, &size);
                if (error != 0) {
                    finish(c, error == ECONNRESET     ? &burst.reset
                              : error == ECONNREFUSED ? &burst.refused
                                                      : &burst.other);
                    continue;
                }
                c.sent =
                    send(c.fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
                epoll_event event{};
                event.events = EPOLLIN | EPOLLRDHUP;
                event.data.u64 = events[e].data.u64;
                epoll_ctl(poller, EPOLL_CTL_MOD, c.fd, &event);
            }
            if ((events[e].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) == 0)
                continue;
            while (true) {
                const ssize_t got = recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (got > 0) {
                    c.received.append(buffer, static_cast<size_t>(got));
                    continue;
                }
                if (got == 0)
                    finish(c, WholeAnswer(c.received) ? &burst.answered : &burst.other);
                else if (errno != EAGAIN && errno != EWOULDBLOCK)
                    finish(c, WholeAnswer(c.received) ? &burst.answered
                              : errno == ECONNRESET   ? &burst.reset
                              : errno == ECONNREFUSED ? &burst.refused
                                                      : &burst.other);
                break;
            }
        }
    }
    for (CConnection& c : connections)
        if (c.fd >= 0) {
            ++burst.other;
            close(c.fd);
        }
    close(poller);
    burst.seconds = std::chrono::duration<double>(lastAnswer - start).count();
    return burst;
}

void PrintBursts(const char* server, const std::string& path, unsigned short port)
{
    CBurst total;
    std::vector<double> times;
    for (int round = 0; round < kBurstRounds; ++round) {
        const CBurst burst = Burst(port, path, kBurstConnections);
        total.answered += burst.answered;
        total.reset += burst.reset;
        total.refused += burst.refused;
        total.other += burst.other;
        times.push_back(burst.seconds);
        Sleep(milliseconds(500));
    }
    printf("  %-28s %-26s %6d %6d %7d %6d %9.3f %7.3f %7.3f\n", server, path.c_str(), total.answered, total.reset,
           total.refused, total.other, Median(times), *std::min_element(times.begin(), times.end()),
           *std::max_element(times.begin(), times.end()));
    fflush(stdout);
}

}  // namespace

void MeasureBurst(const CLoadSettings& settings)
{
    printf("\nburst: %d connections at once, one GET each (Connection: close), %d rounds; answered, reset, refused\n"
           "and other (a short answer or none) of all rounds, seconds until the last answer (median, min, max):\n",
           kBurstConnections, kBurstRounds);
    printf("  %-28s %-26s %6s %6s %7s %6s %9s %7s %7s\n", "server", "path", "answrd", "reset", "refused", "other",
           "median s", "min", "max");
    fflush(stdout);
    CAgents agents(1, kClients, 0, 1);
    if (agents.Port() == 0) {
        printf("  cannot start krw6180-apsim\n");
        return;
    }
    for (const CSubject& subject : Subjects(settings)) {
        CServer exporter;
        if (!StartExporter(exporter, subject.program, agents.Port(), {}, settings.folder))
            continue;
        const std::string name = std::string("exporter (") + subject.name + ")";
        PrintBursts(name.c_str(), "/metrics", exporter.Port());
        PrintBursts(name.c_str(), ProbePath("127.0.0.1"), exporter.Port());
        printf("  %-28s peak RSS %.1f MB, threads now %ld\n", "", Megabytes(StatusField(exporter.Pid(), "VmHWM:")),
               StatusField(exporter.Pid(), "Threads:"));
    }
    // A peer: Prometheus' own Go HTTP server, scraping nothing.
    CServer prometheus;
    if (StartPrometheus(prometheus, "global:\n  scrape_interval: 1m\n", settings.folder))
        PrintBursts("Prometheus (peer)", "/metrics", prometheus.Port());
}

// ---- flood -------------------------------------------------------------

namespace {

const unsigned long long kHeaderFloodBytes = 300000000ULL;
const unsigned long long kBodyFloodBytes = 300ULL * 1024 * 1024;
const int kFloodSeconds = 60;
const int kStallSeconds = 10;

struct CFlood {
    unsigned long long sent = 0;  // taken by send(), socket buffers included
    const char* end = "all sent";
    std::string status;  // the status line the server wrote, if any
    double seconds = 0;
    long residentBeforeKb = 0;
    long residentPeakKb = 0;
    long residentAfterKb = 0;
};

// Sends head, then blocks of body lines made by next, until total bytes
// are sent, the server closes, it takes nothing for kStallSeconds or
// kFloodSeconds pass. The exporter's resident size is sampled meanwhile.
template <typename Next>
CFlood Flood(const CServer& server, const std::string& head, unsigned long long total, Next next)
{
    CFlood flood;
    flood.residentBeforeKb = StatusField(server.Pid(), "VmRSS:");
    std::atomic<bool> done{false};
    std::atomic<long> peak{flood.residentBeforeKb};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), StatusField(server.Pid(), "VmRSS:"));
            Sleep(milliseconds(10));
        }
    });
    const int fd = Connect(server.Port());
    const int sendBuffer = 65536;
    if (fd >= 0)
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    std::string block = head;
    size_t offset = 0;
    const auto start = Clock::now();
    auto progress = start;
    char buffer[4096];
    std::string received;
    while (fd >= 0 && flood.sent < total) {
        if (SecondsSince(start) > kFloodSeconds) {
            flood.end = "bound of time reached";
            break;
        }
        if (SecondsSince(progress) > kStallSeconds) {
            flood.end = "stalled: the server neither reads nor closes";
            break;
        }
        pollfd p{fd, POLLIN | POLLOUT, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) {
                received.append(buffer, static_cast<size_t>(got));
                continue;
            }
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                flood.end = got == 0 ? "closed by the server" : "reset by the server";
                break;
            }
        }
        if ((p.revents & POLLOUT) == 0)
            continue;
        if (offset == block.size()) {
            next(block);
            offset = 0;
        }
        const size_t want =
            static_cast<size_t>(std::min<unsigned long long>(block.size() - offset, total - flood.sent));
        const ssize_t n = send(fd, block.data() + offset, want, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            offset += static_cast<size_t>(n);
            flood.sent += static_cast<unsigned long long>(n);
            progress = Clock::now();
        } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            flood.end = errno == EPIPE ? "closed by the server" : "reset by the server";
            break;
        }
    }
    flood.seconds = SecondsSince(start);
    // What the server answers, if it has not yet.
    const auto deadline = Clock::now() + seconds(2);
    while (fd >= 0 && received.find("\r\n") == std::string::npos && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t got = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got <= 0)
            break;
        received.append(buffer, static_cast<size_t>(got));
    }
    flood.status = received.substr(0, received.find("\r\n"));
    if (fd >= 0)
        close(fd);
    Sleep(seconds(1));
    done = true;
    sampler.join();
    flood.residentPeakKb = peak;
    flood.residentAfterKb = StatusField(server.Pid(), "VmRSS:");
    return flood;
}

void PrintFlood(const char* exporter, const char* what, const CFlood& flood)
{
    const std::string after =
        flood.residentAfterKb < 0 ? std::string("none (ended)") : std::to_string(flood.residentAfterKb / 1024) + " MB";
    printf("  %-8s %-13s %12llu bytes in %6.2f s, %s; answer \"%s\"; RSS %.1f -> peak %.1f MB (+%.1f MB), after %s\n",
           exporter, what, flood.sent, flood.seconds, flood.end, flood.status.c_str(),
           Megabytes(flood.residentBeforeKb), Megabytes(flood.residentPeakKb),
           Megabytes(flood.residentPeakKb - flood.residentBeforeKb), after.c_str());
    fflush(stdout);
}

}  // namespace

void MeasureFlood(const CLoadSettings& settings)
{
    printf("\nflood: one connection sends %llu bytes of header lines (8,018 bytes each), another a POST with a\n"
           "%llu-byte body, until all is sent or the server closes (%d s at most); bytes taken, socket buffers "
           "included:\n",
           kHeaderFloodBytes, kBodyFloodBytes, kFloodSeconds);
    fflush(stdout);
    CAgents agents(1, kClients, 0, 1);
    if (agents.Port() == 0) {
        printf("  cannot start krw6180-apsim\n");
        return;
    }
    for (const CSubject& subject : Subjects(settings)) {
        CServer exporter;
        if (!StartExporter(exporter, subject.program, agents.Port(), {}, settings.folder))
            continue;
        Fetch(exporter.Port(), ProbePath("127.0.0.1"));
        unsigned long line = 0;
        const CFlood headers =
            Flood(exporter, "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n", kHeaderFloodBytes, [&](std::string& block) {
                block.clear();
                char name[32];
                for (int i = 0; i < 8; ++i) {
                    snprintf(name, sizeof name, "X-Flood-%07lu: ", line++);
                    block += name;
                    block.append(8000, 'a');
                    block += "\r\n";
                }
            });
        PrintFlood(subject.name, "header lines", headers);
        const CFlood body = Flood(exporter,
                                  "POST " + ProbePath("127.0.0.1") +
                                      " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/plain\r\nContent-Length: " +
                                      std::to_string(kBodyFloodBytes) + "\r\n\r\n",
                                  kBodyFloodBytes, [](std::string& block) { block.assign(65536, 'x'); });
        PrintFlood(subject.name, "POST body", body);
        // Still serving afterwards?
        CHttpConnection connection(exporter.Port());
        CResponse response;
        const bool probed = connection.Get(ProbePath("127.0.0.1"), &response) && ProbeSucceeded(response);
        printf("  %-8s a probe afterwards %s\n", subject.name,
               probed                                      ? "succeeds"
               : StatusField(exporter.Pid(), "VmRSS:") < 0 ? "FAILS: the process has ended"
                                                           : "FAILS");
    }
}

// ---- reuse -------------------------------------------------------------

namespace {

const int kReuseProbes = 200;

}  // namespace

void MeasureReuse(const CLoadSettings& settings)
{
    printf("\nreuse: %d probes of an access point answering at once, each on a new connection and on a kept one\n"
           "(alternately); medians in ms of the whole probe, the probe's own krw6180_probe_duration_seconds and "
           "their difference:\n",
           kReuseProbes);
    printf("  %-8s %-16s %8s %8s %8s %8s\n", "exporter", "connection", "probe", "own", "added", "opened");
    fflush(stdout);
    CAgents agents(1, kClients, 0, 1);
    if (agents.Port() == 0) {
        printf("  cannot start krw6180-apsim\n");
        return;
    }
    const std::string path = ProbePath("127.0.0.1");
    for (const CSubject& subject : Subjects(settings)) {
        CServer exporter;
        if (!StartExporter(exporter, subject.program, agents.Port(), {}, settings.folder))
            continue;
        CHttpConnection kept(exporter.Port());
        CResponse response;
        for (int warm = 0; warm < 10; ++warm)
            kept.Get(path, &response);
        kept.Close();
        const int openedBefore = kept.Opened();
        std::vector<double> times[2], own[2], added[2];
        int failed[2] = {0, 0};
        int fresh = 0;
        for (int probe = 0; probe < kReuseProbes; ++probe) {
            for (int kind = 0; kind < 2; ++kind) {
                CHttpConnection once(exporter.Port());
                CHttpConnection& connection = kind == 0 ? once : kept;
                const auto start = Clock::now();
                const bool answered = connection.Get(path, &response);
                const double elapsed = SecondsSince(start) * 1000;
                const double duration = Sample(response.body, "krw6180_probe_duration_seconds") * 1000;
                fresh += kind == 0 ? once.Opened() : 0;
                if (!answered || !ProbeSucceeded(response) || std::isnan(duration)) {
                    ++failed[kind];
                    continue;
                }
                times[kind].push_back(elapsed);
                own[kind].push_back(duration);
                added[kind].push_back(elapsed - duration);
            }
        }
        const int opened[2] = {fresh, kept.Opened() - openedBefore};
        const char* kinds[2] = {"new", "kept (keep-alive)"};
        for (int kind = 0; kind < 2; ++kind)
            printf("  %-8s %-17s %8.3f %8.3f %8.3f %8d%s\n", subject.name, kinds[kind], Median(times[kind]),
                   Median(own[kind]), Median(added[kind]), opened[kind],
                   failed[kind] > 0 ? ("  (" + std::to_string(failed[kind]) + " failed)").c_str() : "");
        fflush(stdout);
    }
}

// ---- throughput and scale -----------------------------------------------

namespace {

const int kRateTargets = 100;
const int kRateSeconds = 10;

struct CRate {
    long succeeded = 0;
    long failed = 0;
    long connections = 0;
    double seconds = 0;
};

// concurrency clients, each probing the targets in turn on a kept
// connection of its own, for kRateSeconds.
CRate Rate(unsigned short port, const std::vector<std::string>& targets, int concurrency)
{
    std::atomic<long> succeeded{0}, failed{0}, connections{0};
    std::vector<std::thread> clients;
    const auto start = Clock::now();
    const auto end = start + seconds(kRateSeconds);
    for (int client = 0; client < concurrency; ++client)
        clients.emplace_back([&, client] {
            CHttpConnection connection(port);
            CResponse response;
            for (size_t next = static_cast<size_t>(client); Clock::now() < end; next += concurrency) {
                const bool answered = connection.Get(ProbePath(targets[next % targets.size()]), &response);
                ++(answered && ProbeSucceeded(response) ? succeeded : failed);
            }
            connections += connection.Opened();
        });
    for (std::thread& client : clients)
        client.join();
    CRate rate;
    rate.seconds = SecondsSince(start);
    rate.succeeded = succeeded;
    rate.failed = failed;
    rate.connections = connections;
    return rate;
}

}  // namespace

void MeasureThroughput(const CLoadSettings& settings)
{
    printf("\nthroughput: probes a second of %d access points answering at once, each client on a kept connection\n"
           "of its own for %d s (issue's figures for the earlier build: 26, 181, 245, 410); the exporter's CPU time\n"
           "per probe:\n",
           kRateTargets, kRateSeconds);
    CAgents agents(kRateTargets, kClients, 0, 1);
    if (agents.Port() == 0) {
        printf("  cannot start krw6180-apsim\n");
        return;
    }
    const std::vector<CSubject> subjects = Subjects(settings);
    std::vector<CServer> exporters(subjects.size());
    for (size_t i = 0; i < subjects.size(); ++i)
        if (!StartExporter(exporters[i], subjects[i].program, agents.Port(), {}, settings.folder))
            return;
    printf("  %11s", "concurrency");
    for (const CSubject& subject : subjects)
        printf("  %8s/s %7s %7s %7s", subject.name, "failed", "conns", "cpu ms");
    printf("%s\n", subjects.size() > 1 ? "  new/before" : "");
    fflush(stdout);
    const std::vector<std::string> targets = LoopbackAddresses(kRateTargets);
    for (int concurrency : {1, 10, 50, 200}) {
        printf("  %11d", concurrency);
        std::vector<double> rates;
        for (CServer& exporter : exporters) {
            const double cpuBefore = CpuSeconds(exporter.Pid());
            const CRate rate = Rate(exporter.Port(), targets, concurrency);
            const double cpu = CpuSeconds(exporter.Pid()) - cpuBefore;
            rates.push_back(rate.succeeded / rate.seconds);
            printf("  %10.1f %7ld %7ld %7.3f", rates.back(), rate.failed, rate.connections,
                   rate.succeeded > 0 ? cpu * 1000 / rate.succeeded : 0.0);
            fflush(stdout);
        }
        if (rates.size() > 1)
            printf("  %10.2f", rates[0] / rates[1]);
        printf("\n");
        fflush(stdout);
    }
}

namespace {

const int kScaleProbes = 10000;
const int kScaleConcurrency = 50;
const int kScaleMarks = 4;

}  // namespace

void MeasureScale(const CLoadSettings& settings)
{
    printf("\nscale: %d probes of %d access points, %d clients on kept connections; the exporter's resident MB and\n"
           "threads after every %d:\n",
           kScaleProbes, kRateTargets, kScaleConcurrency, kScaleProbes / kScaleMarks);
    CAgents agents(kRateTargets, kClients, 0, 1);
    if (agents.Port() == 0) {
        printf("  cannot start krw6180-apsim\n");
        return;
    }
    const std::vector<std::string> targets = LoopbackAddresses(kRateTargets);
    for (const CSubject& subject : Subjects(settings)) {
        CServer exporter;
        if (!StartExporter(exporter, subject.program, agents.Port(), {}, settings.folder))
            continue;
        std::vector<long> resident(kScaleMarks + 1, -1), threads(kScaleMarks + 1, -1);
        resident[0] = StatusField(exporter.Pid(), "VmRSS:");
        threads[0] = StatusField(exporter.Pid(), "Threads:");
        std::atomic<int> next{0}, done{0}, failed{0};
        std::vector<std::thread> clients;
        const auto start = Clock::now();
        for (int client = 0; client < kScaleConcurrency; ++client)
            clients.emplace_back([&] {
                CHttpConnection connection(exporter.Port());
                CResponse response;
                for (int ticket = next++; ticket < kScaleProbes; ticket = next++) {
                    const bool answered =
                        connection.Get(ProbePath(targets[static_cast<size_t>(ticket) % targets.size()]), &response);
                    if (!answered || !ProbeSucceeded(response))
                        ++failed;
                    const int count = ++done;
                    if (count % (kScaleProbes / kScaleMarks) == 0) {
                        resident[count / (kScaleProbes / kScaleMarks)] = StatusField(exporter.Pid(), "VmRSS:");
                        threads[count / (kScaleProbes / kScaleMarks)] = StatusField(exporter.Pid(), "Threads:");
                    }
                }
            });
        for (std::thread& client : clients)
            client.join();
        const double elapsed = SecondsSince(start);
        printf("  %-8s", subject.name);
        for (int mark = 0; mark <= kScaleMarks; ++mark)
            printf("  %5d: %6.1f MB %3ld thr", mark * kScaleProbes / kScaleMarks, Megabytes(resident[mark]),
                   threads[mark]);
        printf("  (%.1f s, %d failed)\n", elapsed, failed.load());
        fflush(stdout);
    }
}

}  // namespace krwbench
