// krw6180-exporter's HTTP side against clients that misbehave: slow, large,
// many at once, or holding the exporter off when it should stop; and a port
// that another program holds.

#include "tests/support/ApSimAgent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ExporterChild.h"
#include "tests/support/FreePort.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestCredentials.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <future>
#include <map>
#include <regex>

namespace {

using krwtest::CExporterChild;
using krwtest::HoldsLine;
using Clock = std::chrono::steady_clock;

const auto kBound = std::chrono::seconds(30);

// A TCP connection to the exporter from a loopback address of its own.
class CRawClient {
public:
    CRawClient(unsigned short port, const char* from = "127.0.0.1")
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        inet_pton(AF_INET, from, &address.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            Close();
            return;
        }
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        address.sin_port = htons(port);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            Close();
    }
    ~CRawClient() { Close(); }
    CRawClient(const CRawClient&) = delete;
    CRawClient& operator=(const CRawClient&) = delete;

    bool Send(const std::string& text) const
    {
        return fd >= 0 && ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // What arrives until the server closes or the bound passes; *closed
    // says which. With once, only what comes first.
    std::string Read(Clock::duration bound, bool* closed = nullptr, bool once = false) const
    {
        std::string text;
        const Clock::time_point end = Clock::now() + bound;
        bool ended = fd < 0;
        while (!ended && Clock::now() < end && !(once && !text.empty())) {
            pollfd entry{fd, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (::poll(&entry, 1, static_cast<int>(std::max<long long>(left, 1))) <= 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            ended = got <= 0;
            text.append(buffer, got > 0 ? static_cast<size_t>(got) : 0);
        }
        if (closed != nullptr)
            *closed = ended;
        return text;
    }
    // Reads one answer of a length the header fields give.
    std::string ReadAnswer(Clock::duration bound) const
    {
        std::string text;
        const Clock::time_point end = Clock::now() + bound;
        std::smatch length;
        while (Clock::now() < end) {
            const size_t head = text.find("\r\n\r\n");
            if (head != std::string::npos &&
                std::regex_search(text, length, std::regex("Content-Length: ([0-9]+)", std::regex::icase)) &&
                text.size() >= head + 4 + std::stoul(length[1]))
                return text;
            bool closed = false;
            text += Read(end - Clock::now(), &closed, true);
            if (closed)
                break;
        }
        return text;
    }
    bool Open() const { return fd >= 0; }

private:
    void Close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    int fd = -1;
};

int Threads(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Threads:", 0) == 0)
            return std::stoi(line.substr(8));
    return -1;
}

long Figure(const std::string& metrics, const std::string& series)
{
    const size_t at = ("\n" + metrics).find("\n" + series + " ");
    return at == std::string::npos ? -1 : std::stol(metrics.substr(at + series.size() + 1));
}

TEST(ExporterHttpTest, RequestsAreAnsweredAsHttpSays)
{
    auto agent = krwtest::StartApSim({"--log-requests"});
    CExporterChild exporter(agent->Port());
    const struct {
        const char* method;
        const char* path;
        std::vector<std::pair<std::string, std::string>> headers;
        int status;
        const char* allow;
    } cases[] = {
        {"HEAD", "/probe?target=127.0.0.1", {}, 200, ""},
        {"HEAD", "/probe", {}, 400, ""},
        {"POST", "/probe?target=127.0.0.1", {}, 405, "GET, HEAD"},
        {"DELETE", "/metrics", {}, 405, "GET, HEAD"},
        {"GET", "/-/reload", {}, 405, "POST, PUT"},
        {"GET", "/nosuch", {}, 404, ""},
        {"GET", "/history?id=99", {}, 404, ""},
        {"GET", "/metrics", {{"Content-Length", "5"}}, 413, ""},
        {"GET", "/metrics", std::vector<std::pair<std::string, std::string>>(100, {"X-Many", "1"}), 431, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.path);
        const krwtest::CHttpAnswer answer = exporter.Request(c.method, c.path, c.headers);
        EXPECT_EQ(c.status, answer.status);
        EXPECT_EQ(c.allow, answer.allow);
    }
    // HEAD ran no retrieval.
    EXPECT_EQ(0, agent->Logged("request set"));
}

// Slow and large clients from one address hold no thread and cannot keep
// another client's probe from its answer; what is over a bound is closed.
TEST(ExporterHttpTest, BadClientsAreBoundedAndOthersStillServed)
{
    auto agent = krwtest::StartApSim({});
    CExporterChild exporter(agent->Port(), {"--web.read-timeout", "2", "--web.max-connections-per-address", "20"});
    const int threads = Threads(exporter.Pid());
    std::vector<std::unique_ptr<CRawClient>> slow;
    for (int i = 0; i < 30; ++i) {
        slow.push_back(std::make_unique<CRawClient>(exporter.Port(), "127.0.0.2"));
        ASSERT_TRUE(slow.back()->Send("GET /pro"));
    }
    CRawClient flood(exporter.Port());
    flood.Send("GET /metrics HTTP/1.1\r\n");
    for (int i = 0; i < 16 && flood.Send("X-Filler: " + std::string(4000, 'x') + "\r\n"); ++i)
        continue;
    // Closed, with a 431 unless the unread part of the flood reset the
    // connection before it was read.
    bool floodClosed = false;
    const std::string floodAnswer = flood.Read(kBound, &floodClosed);
    EXPECT_TRUE(floodClosed);
    EXPECT_TRUE(floodAnswer.empty() || floodAnswer.rfind("HTTP/1.1 431", 0) == 0) << floodAnswer;
    CRawClient upload(exporter.Port());
    upload.Send("POST /-/reload HTTP/1.1\r\nHost: x\r\nContent-Length: 314572800\r\n\r\n");
    EXPECT_TRUE(upload.Read(kBound).rfind("HTTP/1.1 413", 0) == 0);

    EXPECT_TRUE(HoldsLine(exporter.Get("/probe?target=127.0.0.1").body, "krw6180_probe_success 1"));
    EXPECT_EQ(threads, Threads(exporter.Pid()));
    // Those over the bound were closed at once, the rest when their time
    // to send a request was over.
    int closed = 0;
    for (const auto& client : slow) {
        bool ended = false;
        client->Read(kBound, &ended);
        closed += ended ? 1 : 0;
    }
    EXPECT_EQ(30, closed);
    const std::string metrics = exporter.Get("/metrics").body;
    EXPECT_EQ(10, Figure(metrics, "krw6180_exporter_http_connections_closed_total{reason=\"limit\"}")) << metrics;
    EXPECT_EQ(20, Figure(metrics, "krw6180_exporter_http_connections_closed_total{reason=\"request_timeout\"}"));
}

TEST(ExporterHttpTest, ManyConnectionsAtOnceAndOneReusedAreAllAnswered)
{
    auto agent = krwtest::StartApSim({});
    CExporterChild exporter(agent->Port());
    std::vector<std::unique_ptr<CRawClient>> clients;
    for (int i = 0; i < 300; ++i)
        clients.push_back(std::make_unique<CRawClient>(exporter.Port()));
    for (const auto& client : clients)
        client->Send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    int answered = 0;
    for (const auto& client : clients)
        answered += client->ReadAnswer(kBound).rfind("HTTP/1.1 200", 0) == 0 ? 1 : 0;
    EXPECT_EQ(300, answered);

    const CRawClient& reused = *clients.front();
    for (int request = 0; request < 3; ++request) {
        ASSERT_TRUE(reused.Send("GET /probe?target=127.0.0.1 HTTP/1.1\r\nHost: x\r\n\r\n"));
        EXPECT_NE(std::string::npos, reused.ReadAnswer(kBound).find("\nkrw6180_probe_success 1\n")) << request;
    }
}

// Neither a client that trickles its request nor a probe that waits holds
// the exporter past 5 s after SIGTERM; the probe is refused, which fails
// the scrape rather than saying the access point failed.
TEST(ExporterHttpTest, AStopSignalEndsTheExporterWhateverClientsDo)
{
    auto agent = krwtest::StartApSim({"--log-requests", "--stop-after", "0"});
    CExporterChild exporter(agent->Port(), {"-t", "360000"});
    CRawClient trickle(exporter.Port());
    trickle.Send("GET /metr");
    auto waiting =
        std::async(std::launch::async, [&exporter] { return exporter.Get("/probe?target=127.0.0.1", "60"); });
    ASSERT_TRUE(agent->WaitLogged("dropped get-next", 1, kBound));
    ASSERT_EQ(0, ::kill(exporter.Pid(), SIGTERM));
    const Clock::time_point sent = Clock::now();
    EXPECT_EQ(0, krwtest::WaitForExit(exporter.Pid(), std::chrono::seconds(5)));
    EXPECT_LT(Clock::now() - sent, std::chrono::seconds(5));
    const krwtest::CHttpAnswer refused = waiting.get();
    EXPECT_EQ(503, refused.status);
    EXPECT_EQ("the exporter is stopping\n", refused.body);
}

// A password known from an earlier request is taken at once, however many
// wrong ones another client has waiting for their bcrypt, and those wait in
// a bounded number per client address.
TEST(ExporterHttpTest, AKnownPasswordIsTakenWhileWrongOnesWait)
{
    auto agent = krwtest::StartApSim({});
    const auto folder = krwtest::MakeScratchFolder("krw-exporter-auth-");
    const std::string web = (folder / "web.yml").string();
    std::ofstream(web) << "basic_auth_users:\n  prometheus: " << krwtest::Bcrypt("s3cret", 12) << "\n";
    CExporterChild exporter(agent->Port(), {"--web.config.file", web});
    const auto get = [](const CRawClient& client, const char* credentials) {
        client.Send(std::string("GET /metrics HTTP/1.1\r\nHost: x\r\nAuthorization: Basic ") + credentials +
                    "\r\n\r\n");
        return client.ReadAnswer(kBound);
    };
    const char right[] = "cHJvbWV0aGV1czpzM2NyZXQ=";  // prometheus:s3cret
    const char wrong[] = "cHJvbWV0aGV1czpndWVzcw==";  // prometheus:guess
    EXPECT_EQ(0u, get(CRawClient(exporter.Port()), right).rfind("HTTP/1.1 200", 0));
    std::vector<std::unique_ptr<CRawClient>> guesses;
    for (int i = 0; i < 6; ++i) {
        guesses.push_back(std::make_unique<CRawClient>(exporter.Port(), "127.0.0.2"));
        guesses.back()->Send(std::string("GET /metrics HTTP/1.1\r\nHost: x\r\nAuthorization: Basic ") + wrong +
                             "\r\n\r\n");
    }
    EXPECT_EQ(0u, get(CRawClient(exporter.Port()), right).rfind("HTTP/1.1 200", 0));
    // The second guess waits behind the first one's bcrypt at least.
    EXPECT_TRUE(guesses[1]->Read(std::chrono::milliseconds(0), nullptr, true).empty());
    std::map<std::string, int> statuses;
    for (const auto& guess : guesses)
        ++statuses[guess->ReadAnswer(kBound).substr(0, 12)];
    EXPECT_GE(statuses["HTTP/1.1 401"], 4);
    EXPECT_GE(statuses["HTTP/1.1 503"], 1);
    EXPECT_EQ(6, statuses["HTTP/1.1 401"] + statuses["HTTP/1.1 503"]);
    krwtest::RemoveScratchFolder(folder);
}

// What keeps the exporter from starting is said, with exit status 1 for a
// port that is taken and 2 for a configuration it refuses.
TEST(ExporterHttpTest, AStartThatFailsSaysWhy)
{
    CExporterChild first(krwtest::FindFreeUdpPort());
    const auto folder = krwtest::MakeScratchFolder("krw-exporter-start-");
    const std::string secrets = (folder / "secrets.yml").string();
    std::ofstream(secrets) << "auths:\n  default:\n    write_community: s3cret\n";
    ::chmod(secrets.c_str(), 0644);
    const std::string web = (folder / "web.yml").string();
    std::ofstream(web) << "tls_server_config:\n  cert_file: nosuch.pem\n  key_file: nosuch.key\n";
    const struct {
        std::vector<std::string> options;
        int status;
        const char* reason;
    } cases[] = {
        {{"--web.listen-address", "127.0.0.1:" + std::to_string(first.Port())}, 1, "Address already in use"},
        {{"--web.listen-address", "127.0.0.1:0", "--config.file", secrets}, 2, "readable by every user"},
        {{"--web.listen-address", "127.0.0.1:0", "--web.config.file", web}, 2, "nosuch.pem"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{KRW_EXPORTER_PROGRAM};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        const int errors = ::open((folder / "errors").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int status = -2;
        krwtest::RunProgram(argv, krwtest::EnvironmentWith({}), &status, errors);
        ::lseek(errors, 0, SEEK_SET);
        const std::string said = krwtest::ReadAll(errors, kBound);
        ::close(errors);
        EXPECT_EQ(c.status, status) << said;
        EXPECT_NE(std::string::npos, said.find(c.reason)) << said;
    }
    krwtest::RemoveScratchFolder(folder);
}

}  // namespace
