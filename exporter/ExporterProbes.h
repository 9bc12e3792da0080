#pragma once

#include "exporter/ExporterAuths.h"
#include "exporter/ExporterResolver.h"
#include "hostlib/HostReports.h"
#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using CProbeClock = std::chrono::steady_clock;

// How a probe ended.
struct CProbeOutcome {
    // refused: the exporter cannot take the probe now (it is stopping, or
    // at a bound), which says nothing of the access point.
    enum Kind { answered, timedOut, unknownAuth, refused } kind = answered;
    CHostReport report;  // answered: the report, or a failed one saying why there is none; refused: why
};

// One probe as the HTTP side hands it over.
struct CProbeRequest {
    std::string target;  // an IPv4 address or a host name
    std::string auth;    // the name of an SNMP profile
    CProbeClock::time_point deadline;
    std::function<void(const CProbeOutcome&)> done;  // called once, on the loop thread
};

// The plug-in's two calls.
struct CPluginCalls {
    KRW6180PlugSetSnmpParameterFunction setParameters = nullptr;
    KRW6180PlugGetClinetInforFunction start = nullptr;
};

// The probes of the HTTP side, carried out on the thread that runs the
// plug-in's message loop. Probes of one address share one retrieval while it
// runs, when their profiles match: the plug-in collects an address's clients
// in one record, so that two walks of it at once would split them. A probe
// with another profile waits for the running retrieval to end. A retrieval
// counts against the bound until the plug-in reports it, which it does
// within its time budget, however early its probes gave up.
class CExporterProbes {
public:
    static constexpr UINT kMessage = WM_APP + 1;
    // Retrievals that may run at once: each holds a socket.
    static constexpr size_t kMaxRunning = 4096;

    CExporterProbes(DWORD loopThread, CPluginCalls plugin, CSnmpProfiles profiles);

    // Any thread: hands a probe to the loop thread; false once closed.
    bool Submit(CProbeRequest probe);

    // The loop thread, on kMessage: starts or joins the retrievals of the
    // probes handed over.
    void StartSubmitted(CProbeClock::time_point now);
    // The loop thread, from the plug-in's callback (ForwardHostReport, which
    // the retrievals are started with).
    void Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context);
    // The loop thread, often: names resolved, waits that are over.
    void Sweep(CProbeClock::time_point now);
    // The loop thread: the profiles of the probes to come.
    void SetProfiles(CSnmpProfiles profiles);
    // The loop thread: takes no more probes and refuses those it has with
    // this message.
    void Close(const std::string& message);

    // Any thread.
    size_t Running() const { return runningCount; }
    size_t Waiting() const { return waitingCount; }

private:
    struct CWaiter;
    using CWaiterPtr = std::shared_ptr<CWaiter>;
    using CDeadlines = std::multimap<CProbeClock::time_point, std::weak_ptr<CWaiter>>;
    struct CWaiter {
        CWaiter(CProbeClock::time_point deadline, std::function<void(const CProbeOutcome&)> done)
            : deadline(deadline), done(std::move(done))
        {
        }

        CProbeClock::time_point deadline;
        std::function<void(const CProbeOutcome&)> done;
        bool finished = false;
        bool timed = false;  // has an entry in deadlines, until it finishes
        CDeadlines::iterator deadlineEntry;
    };
    struct CQueued {
        CSnmpProfile profile;
        CWaiterPtr waiter;
    };
    struct CRetrieval {
        std::string address;
        CSnmpProfile profile;
        std::vector<CWaiterPtr> waiters;
    };

    void Finish(CWaiter& waiter, const CProbeOutcome& outcome);
    void Begin(CProbeRequest probe);
    void Schedule(const std::string& address, CQueued probe);
    void StartRetrieval(const std::string& address, const CSnmpProfile& profile, std::vector<CWaiterPtr> waiters);
    void StartQueued(const std::string& address);
    void DrainFreed();
    void TakeResolved();
    void Expire(CProbeClock::time_point now);

    const DWORD loopThread;
    const CPluginCalls plugin;
    std::mutex mutex;  // guards submitted and closed
    std::vector<CProbeRequest> submitted;
    bool closed = false;

    CSnmpProfiles profiles;
    CDeadlines deadlines;
    CExporterResolver resolver;
    std::map<std::string, std::vector<CQueued>> resolving;  // by host name
    std::map<uint32_t, CRetrieval> running;                 // by context
    std::map<std::string, uint32_t> contextOf;              // by address
    std::map<std::string, std::deque<CQueued>> queued;      // by address: another profile than the running one
    std::vector<std::string> freed;                         // addresses whose retrieval ended inside a start
    int starting = 0;
    uint32_t nextContext = 1;
    std::atomic<size_t> runningCount{0};
    std::atomic<size_t> waitingCount{0};
};

// A failed report with this message.
CHostReport FailedReport(const std::string& message);
