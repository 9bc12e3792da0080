#include "exporter/ExporterServer.h"

#include "exporter/ExporterTls.h"
#include "hostlib/HostAddresses.h"

#include <malloc.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Each connection's memory: the request's line and header fields, and the
// answer's header fields. A request larger than that is refused (431) and
// holds no more; Prometheus' requests take a few hundred bytes.
const size_t kConnectionMemory = 16 * 1024;
const unsigned kMaxHeaderFields = 64;
// Connections the library itself takes beyond the bound, for those opened
// to be refused at once.
const size_t kSpareConnections = 64;
const double kDefaultWaitSeconds = 10;
const double kMarginSeconds = 0.5;
const double kLongestWaitSeconds = 60;
// Connections open at once beyond which their end gives memory back.
const size_t kTrimAfterConnections = 256;
// How long a stop waits for the answers of the requests under way.
const auto kLastAnswersTime = std::chrono::seconds(2);

const char kText[] = "text/plain; charset=utf-8";
const char kHtml[] = "text/html; charset=utf-8";

std::string Seconds(double seconds)
{
    char text[32];
    snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

// The report a probe ends with when none came in time.
CHostReport NoReport(double waitSeconds)
{
    return FailedReport("no report within " + Seconds(waitSeconds) +
                        " s: the access point answers too slowly for the scrape time-out");
}

const char* Header(MHD_Connection* connection, const char* name)
{
    return MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
}

// RFC 9112, section 6.3: a request has a body when it says so by
// Transfer-Encoding or by a Content-Length other than 0.
bool HasBody(MHD_Connection* connection)
{
    const char* length = Header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH);
    return Header(connection, MHD_HTTP_HEADER_TRANSFER_ENCODING) != nullptr ||
           (length != nullptr && std::strcmp(length, "0") != 0);
}

struct CArgumentCount {
    const char* key;
    unsigned count;
};

MHD_Result CountArgument(void* cls, MHD_ValueKind, const char* key, const char*)
{
    auto* count = static_cast<CArgumentCount*>(cls);
    count->count += std::strcmp(key, count->key) == 0 ? 1 : 0;
    return MHD_YES;
}

unsigned ArgumentCount(MHD_Connection* connection, const char* key)
{
    CArgumentCount count{key, 0};
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, CountArgument, &count);
    return count.count;
}

// The argument's value with any NUL it holds ("%00").
std::string Argument(MHD_Connection* connection, const char* key)
{
    const char* value = nullptr;
    size_t size = 0;
    if (MHD_lookup_connection_value_n(connection, MHD_GET_ARGUMENT_KIND, key, std::strlen(key), &value, &size) !=
            MHD_YES ||
        value == nullptr)
        return std::string();
    return std::string(value, size);
}

std::string PeerAddress(MHD_Connection* connection)
{
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    char host[NI_MAXHOST] = {};
    if (info == nullptr || info->client_addr == nullptr)
        return std::string();
    const socklen_t length = info->client_addr->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    getnameinfo(info->client_addr, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
    return host;
}

// A socket listening on host:port, never shared with another program
// (no SO_REUSEPORT): a port in use is an error. -1 with the reason.
int Listen(const std::string& host, int port, int* bound, std::string* error)
{
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (status != 0) {
        *error = gai_strerror(status);
        return -1;
    }
    const int on = 1;
    int fd = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
    // SO_REUSEADDR lets a restart bind while the last run's connections
    // wait out TIME_WAIT; a listening socket still makes bind fail.
    if (fd < 0 || ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        *error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (fd >= 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        *bound = ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                                     : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return fd;
}

// The library's messages: at debug, as nothing it says needs an operator.
void LogServer(void* log, const char* format, va_list arguments)
{
    char text[512];
    vsnprintf(text, sizeof text, format, arguments);
    std::string message(text);
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    static_cast<CExporterLog*>(log)->Write(CLogLevel::debug, "HTTP server", {{"detail", message}});
}

ssize_t NoContent(void*, uint64_t, char*, size_t)
{
    return MHD_CONTENT_READER_END_OF_STREAM;
}

}  // namespace

// One request's state, from its header fields to its answer.
struct CExporterServer::CRequest {
    enum Phase { fresh, authorizing, probing, probed, prepared } phase = fresh;
    std::string path;
    std::string method;
    bool authorized = false;
    CProbeClock::time_point started = CProbeClock::now();
    double waitSeconds = 0;
    std::string target;
    std::string auth;
    CProbeOutcome outcome;  // probed
    int status = 0;         // prepared
    std::string body;       // prepared
};

double ProbeWaitSeconds(const std::string& scrapeTimeout)
{
    char* end = nullptr;
    const double seconds = std::strtod(scrapeTimeout.c_str(), &end);
    if (scrapeTimeout.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0)
        return kDefaultWaitSeconds;
    const double wait = seconds > 2 * kMarginSeconds ? seconds - kMarginSeconds : seconds / 2;
    return std::min(wait, kLongestWaitSeconds);
}

CExporterServer::CExporterServer(CExporterProbes& probes, CExporterStats& stats, CExporterLog& log,
                                 CServerSettings settings, CReloadRequest reload)
    : probes(probes),
      log(log),
      settings(std::move(settings)),
      reload(std::move(reload)),
      stats(stats),
      connections(this->settings.limits),
      history(this->settings.historyLimit)
{
    if (!this->settings.web.basicAuthUsers.empty()) {
        basicAuth = std::make_unique<CBasicAuth>(this->settings.web.basicAuthUsers);
        authWorker = std::make_unique<CExporterAuthWorker>(*basicAuth);
    }
}

CExporterServer::~CExporterServer()
{
    Stop();
}

bool CExporterServer::Start(std::string* error)
{
    const CWebTls& tls = settings.web.tls;
    if (tls.enabled && tls.clientCaPem.empty() &&
        (tls.clientAuth == CClientAuth::request || tls.clientAuth == CClientAuth::requireAny)) {
        *error = "client_auth_type needs a client_ca_file here: the server asks for client certificates only "
                 "naming the CAs it takes";
        return false;
    }
    const int listening = Listen(settings.host, settings.port, &port, error);
    if (listening < 0)
        return false;
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    std::vector<MHD_OptionItem> options = {
        // First, so that the library's own messages of the options after it
        // go to the log too.
        {MHD_OPTION_EXTERNAL_LOGGER, reinterpret_cast<intptr_t>(&LogServer), &log},
        {MHD_OPTION_LISTEN_SOCKET, listening, nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, static_cast<intptr_t>(settings.limits.total + kSpareConnections), nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(kConnectionMemory), nullptr},
        // The library's own time-out ends a connection idle that long, one
        // that reads no answer among them; a request's own time is ended
        // before, by Tidy.
        {MHD_OPTION_CONNECTION_TIMEOUT,
         static_cast<intptr_t>(2 *
                               std::chrono::duration_cast<std::chrono::seconds>(settings.limits.receiveTime).count()),
         nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, reinterpret_cast<intptr_t>(&Completed), this},
        {MHD_OPTION_NOTIFY_CONNECTION, reinterpret_cast<intptr_t>(&Notify), this},
        {MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, nullptr},
    };
    if (tls.enabled) {
        flags |= MHD_USE_TLS;
        options.push_back({MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(tls.keyPem.c_str())});
        options.push_back({MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(tls.certPem.c_str())});
        if (!tls.clientCaPem.empty())
            options.push_back({MHD_OPTION_HTTPS_MEM_TRUST, 0, const_cast<char*>(tls.clientCaPem.c_str())});
        if (!tls.priorities.empty())
            options.push_back({MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char*>(tls.priorities.c_str())});
    }
    options.push_back({MHD_OPTION_END, 0, nullptr});
    daemon =
        MHD_start_daemon(flags, 0, nullptr, nullptr, &Handle, this, MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
    if (daemon != nullptr)
        return true;
    ::close(listening);
    *error = "the HTTP server did not start (see its messages at --log.level=debug)";
    return false;
}

void CExporterServer::Stop()
{
    if (authWorker)
        authWorker->Stop();
    if (daemon == nullptr)
        return;
    // No new connections; the requests answered last (the probes ended by
    // the stop among them) get their answers out, for a short while.
    const MHD_socket listening = MHD_quiesce_daemon(daemon);
    {
        std::unique_lock<std::mutex> lock(mutex);
        answered.wait_for(lock, kLastAnswersTime, [this] { return live == 0; });
    }
    MHD_stop_daemon(daemon);
    daemon = nullptr;
    if (listening != MHD_INVALID_SOCKET)
        ::close(listening);
}

void CExporterServer::Notify(void* server, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code)
{
    auto& self = *static_cast<CExporterServer*>(server);
    if (code != MHD_CONNECTION_NOTIFY_STARTED)
        return self.connections.Closed(connection);
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info == nullptr)
        return;
    // An answer's header fields and body may go out in two writes; Nagle's
    // algorithm would hold the second until the client's delayed ACK.
    const int on = 1;
    ::setsockopt(info->connect_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    self.connections.Opened(connection, info->connect_fd, PeerAddress(connection), CExporterConnections::CClock::now());
}

void CExporterServer::Completed(void* server, MHD_Connection* connection, void** slot, MHD_RequestTerminationCode)
{
    auto& self = *static_cast<CExporterServer*>(server);
    if (*slot != nullptr) {
        delete static_cast<CRequest*>(*slot);
        *slot = nullptr;
        std::lock_guard<std::mutex> lock(self.mutex);
        --self.live;
        self.answered.notify_all();
    }
    self.connections.Answered(connection, CExporterConnections::CClock::now());
}

MHD_Result CExporterServer::Handle(void* server, MHD_Connection* connection, const char* url, const char* method,
                                   const char*, const char*, size_t* uploadSize, void** slot)
{
    auto& self = *static_cast<CExporterServer*>(server);
    if (*slot == nullptr) {
        auto* request = new CRequest;
        *slot = request;
        {
            std::lock_guard<std::mutex> lock(self.mutex);
            ++self.live;
        }
        request->path = url;
        request->method = method;
        self.connections.Received(connection);
        // Answered here, at its header fields, a request is answered
        // without its body being read, and its connection closed after.
        if (MHD_get_connection_values(connection, MHD_HEADER_KIND, nullptr, nullptr) >
            static_cast<int>(kMaxHeaderFields))
            return self.Send(connection, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE, "too many header fields\n", kText);
        if (HasBody(connection))
            return self.Send(connection, MHD_HTTP_CONTENT_TOO_LARGE, "no request here takes a body\n", kText);
        // Every other answer waits for the call that follows, so that the
        // connection stays open for the next request.
        return MHD_YES;
    }
    // A body was refused at its header fields already; none is read.
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    CRequest& request = *static_cast<CRequest*>(*slot);
    switch (request.phase) {
    case CRequest::fresh:
        return self.Begin(connection, request);
    case CRequest::authorizing:
        if (request.authorized)
            return self.Route(connection, request);
        return self.Send(connection, MHD_HTTP_UNAUTHORIZED, "Unauthorized\n", kText);
    case CRequest::probed:
        return self.AnswerProbe(connection, request);
    case CRequest::prepared:
        return self.Send(connection, request.status, request.body, kText);
    default:
        return MHD_NO;
    }
}

MHD_Result CExporterServer::Begin(MHD_Connection* connection, CRequest& request)
{
    if (settings.web.tls.enabled) {
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_GNUTLS_SESSION);
        const auto session = info != nullptr ? static_cast<gnutls_session_t>(info->tls_session) : nullptr;
        if (!ClientCertificateAccepted(session, settings.web.tls.clientAuth))
            return Send(connection, MHD_HTTP_FORBIDDEN, "a valid client certificate is needed\n", kText);
    }
    MHD_Result result = MHD_NO;
    if (Authorize(connection, request, &result))
        return result;
    return Route(connection, request);
}

bool CExporterServer::Authorize(MHD_Connection* connection, CRequest& request, MHD_Result* result)
{
    if (!authWorker)
        return false;
    std::string user;
    std::string password;
    const char* header = Header(connection, MHD_HTTP_HEADER_AUTHORIZATION);
    if (header == nullptr || !ParseBasicAuthorization(header, &user, &password)) {
        *result = Send(connection, MHD_HTTP_UNAUTHORIZED, "Unauthorized\n", kText);
        return true;
    }
    if (basicAuth->Known(user, password))
        return false;
    // Suspended before the check is queued: its end may come at once, and
    // resumes the connection.
    request.phase = CRequest::authorizing;
    MHD_suspend_connection(connection);
    const bool queued = authWorker->Check(
        PeerAddress(connection), user, password, [this, connection, &request](CExporterAuthWorker::CResult checked) {
            if (checked == CExporterAuthWorker::stopped)
                return Prepare(connection, request, MHD_HTTP_SERVICE_UNAVAILABLE, "the exporter is stopping\n");
            request.authorized = checked == CExporterAuthWorker::right;
            MHD_resume_connection(connection);
        });
    if (!queued)
        Prepare(connection, request, MHD_HTTP_SERVICE_UNAVAILABLE, "too many passwords are being checked at once\n");
    *result = MHD_YES;
    return true;
}

namespace {

struct CEndpoint {
    const char* path;
    const char* allow;  // the methods it takes, for 405's Allow
};

const CEndpoint kEndpoints[] = {
    {"/", "GET, HEAD"},        {"/probe", "GET, HEAD"},    {"/metrics", "GET, HEAD"},
    {"/history", "GET, HEAD"}, {"/-/reload", "POST, PUT"},
};

bool Allows(const CEndpoint& endpoint, const std::string& method)
{
    const std::string allow = std::string(", ") + endpoint.allow + ",";
    return allow.find(" " + method + ",") != std::string::npos;
}

}  // namespace

MHD_Result CExporterServer::Route(MHD_Connection* connection, CRequest& request)
{
    const CEndpoint* endpoint = nullptr;
    for (const CEndpoint& e : kEndpoints)
        if (request.path == e.path)
            endpoint = &e;
    if (endpoint == nullptr)
        return Send(connection, MHD_HTTP_NOT_FOUND, "not found: the exporter serves /probe, /metrics and /\n", kText);
    if (!Allows(*endpoint, request.method))
        return Send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "method not allowed\n", kText, endpoint->allow);
    const std::string path = endpoint->path;
    if (path == "/probe")
        return Probe(connection, request, request.method == MHD_HTTP_METHOD_HEAD);
    if (path == "/metrics")
        return Send(connection, MHD_HTTP_OK, ExporterMetrics(stats, Figures()), kExpositionContentType);
    if (path == "/history")
        return History(connection);
    if (path == "/-/reload")
        return Reload(connection, request);
    return Send(connection, MHD_HTTP_OK, history.Page(KRW_VERSION), kHtml);
}

CServerFigures CExporterServer::Figures() const
{
    CServerFigures figures;
    figures.connectionsOpen = connections.Open();
    figures.connectionsRejected = connections.Rejected();
    figures.connectionsTimedOut = connections.TimedOut();
    figures.probesWaiting = probes.Waiting();
    figures.retrievalsRunning = probes.Running();
    return figures;
}

MHD_Result CExporterServer::Probe(MHD_Connection* connection, CRequest& request, bool head)
{
    const std::string target = Argument(connection, "target");
    if (ArgumentCount(connection, "target") != 1 || target.empty()) {
        ++stats.badTarget;
        return Send(connection, MHD_HTTP_BAD_REQUEST, "give one target parameter\n", kText);
    }
    std::string dotted;
    if (target.find('\0') != std::string::npos || (!DottedAddressOf(target, &dotted) && !MayBeHostName(target))) {
        ++stats.badTarget;
        return Send(connection, MHD_HTTP_BAD_REQUEST, "the target is not an IPv4 address or a host name of one\n",
                    kText);
    }
    if (ArgumentCount(connection, "auth") > 1) {
        ++stats.badTarget;
        return Send(connection, MHD_HTTP_BAD_REQUEST, "give at most one auth parameter\n", kText);
    }
    // RFC 9110, section 9.3.2: HEAD answers as GET would, without the
    // content; the length is one the content would give, so it is left out
    // rather than a retrieval run for it.
    if (head)
        return SendWithoutLength(connection, kExpositionContentType);
    const std::string auth = Argument(connection, "auth");
    request.target = target;
    request.auth = auth.empty() ? "default" : auth;
    const char* scrapeTimeout = Header(connection, "X-Prometheus-Scrape-Timeout-Seconds");
    request.waitSeconds = ProbeWaitSeconds(scrapeTimeout != nullptr ? scrapeTimeout : "");
    request.phase = CRequest::probing;
    const auto deadline = request.started + std::chrono::duration_cast<CProbeClock::duration>(
                                                std::chrono::duration<double>(request.waitSeconds));
    // Suspended before the probe is handed over: its end may come at once.
    MHD_suspend_connection(connection);
    CProbeRequest probe{request.target, request.auth, deadline, [this, connection, &request](const CProbeOutcome& o) {
                            request.outcome = o;
                            request.phase = CRequest::probed;
                            MHD_resume_connection(connection);
                        }};
    if (!probes.Submit(std::move(probe))) {
        Prepare(connection, request, MHD_HTTP_SERVICE_UNAVAILABLE, "the exporter is stopping\n");
    }
    return MHD_YES;
}

MHD_Result CExporterServer::AnswerProbe(MHD_Connection* connection, CRequest& request)
{
    const CProbeOutcome& outcome = request.outcome;
    // The exporter's own refusal fails the scrape, not the access point.
    if (outcome.kind == CProbeOutcome::refused) {
        ++stats.refused;
        return Send(connection, MHD_HTTP_SERVICE_UNAVAILABLE, outcome.report.message + "\n", kText);
    }
    if (outcome.kind == CProbeOutcome::unknownAuth) {
        ++stats.badAuth;
        return Send(connection, MHD_HTTP_BAD_REQUEST, "no auth \"" + request.auth + "\" in the configuration\n", kText);
    }
    const CHostReport report = outcome.kind == CProbeOutcome::timedOut ? NoReport(request.waitSeconds) : outcome.report;
    ++(outcome.kind == CProbeOutcome::timedOut ? stats.noReport : report.status == 0 ? stats.success : stats.failure);
    const double seconds = std::chrono::duration<double>(CProbeClock::now() - request.started).count();
    CProbeRecord record;
    record.target = request.target;
    record.auth = request.auth;
    record.time = std::chrono::system_clock::now();
    record.success = report.status == 0;
    record.message = report.status == 0 ? std::string() : report.message;
    record.seconds = seconds;
    record.output = ProbeMetrics(report, seconds);
    if (!record.success)
        log.Write(CLogLevel::warn, "probe failed",
                  {{"target", request.target}, {"auth", request.auth}, {"reason", report.message}});
    const MHD_Result result = Send(connection, MHD_HTTP_OK, record.output, kExpositionContentType);
    history.Add(std::move(record));
    return result;
}

MHD_Result CExporterServer::History(MHD_Connection* connection)
{
    const std::string id = Argument(connection, "id");
    char* end = nullptr;
    const unsigned long long number = std::strtoull(id.c_str(), &end, 10);
    const CProbeRecord* record = id.empty() || *end != '\0' ? nullptr : history.Find(number);
    if (record == nullptr)
        return Send(connection, MHD_HTTP_NOT_FOUND, "no such probe in the history\n", kText);
    return Send(connection, MHD_HTTP_OK, record->output, kExpositionContentType);
}

MHD_Result CExporterServer::Reload(MHD_Connection* connection, CRequest& request)
{
    MHD_suspend_connection(connection);
    const bool asked = reload([this, connection, &request](bool done, const std::string& why) {
        Prepare(connection, request, done ? MHD_HTTP_OK : MHD_HTTP_INTERNAL_SERVER_ERROR,
                done ? "configuration reloaded\n" : why + "\n");
    });
    if (!asked) {
        Prepare(connection, request, MHD_HTTP_SERVICE_UNAVAILABLE, "the exporter is stopping\n");
    }
    return MHD_YES;
}

void CExporterServer::Prepare(MHD_Connection* connection, CRequest& request, int status, const std::string& body)
{
    request.phase = CRequest::prepared;
    request.status = status;
    request.body = body;
    MHD_resume_connection(connection);
}

void CExporterServer::Tidy()
{
    connections.ShutDownLate(CExporterConnections::CClock::now());
    // glibc keeps the heap that a crowd of connections freed: once most of
    // them are gone, it goes back to the system.
    const size_t open = connections.Open();
    mostOpen = std::max(mostOpen, open);
    if (mostOpen >= kTrimAfterConnections && open <= mostOpen / 2) {
        malloc_trim(0);
        mostOpen = open;
    }
}

MHD_Result CExporterServer::Queue(MHD_Connection* connection, int status, MHD_Response* response, const char* allow)
{
    for (const auto& header : settings.web.headers)
        MHD_add_response_header(response, header.first.c_str(), header.second.c_str());
    if (status == MHD_HTTP_UNAUTHORIZED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_WWW_AUTHENTICATE, "Basic realm=\"krw6180-exporter\"");
    if (allow != nullptr)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
    const MHD_Result result = MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result CExporterServer::Send(MHD_Connection* connection, int status, const std::string& body,
                                 const char* contentType, const char* allow)
{
    MHD_Response* response =
        MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    return Queue(connection, status, response, allow);
}

MHD_Result CExporterServer::SendWithoutLength(MHD_Connection* connection, const char* contentType)
{
    MHD_Response* response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1024, NoContent, nullptr, nullptr);
    if (response == nullptr)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
    return Queue(connection, MHD_HTTP_OK, response, nullptr);
}
