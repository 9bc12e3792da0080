#pragma once

#include "host/HostReports.h"
#include "platform/Afx.h"
#include "plugin/KRW6180Plug.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using CProbeClock = std::chrono::steady_clock;

// One probe's wait for its report: a handler thread waits, the main thread
// hands the report over.
class CProbeWaiter {
public:
    explicit CProbeWaiter(CProbeClock::time_point deadline) : deadline(deadline) {}

    CProbeClock::time_point Deadline() const { return deadline; }
    void Complete(const CHostReport& report);
    // False when the deadline passes first.
    bool Wait(CHostReport* report);

private:
    const CProbeClock::time_point deadline;
    std::mutex mutex;
    std::condition_variable completed;
    bool done = false;
    CHostReport result;
};

// The probes of all handler threads, carried out on the thread that runs the
// plug-in's message loop. Probes of one address share one retrieval while it
// runs: the plug-in collects an address's clients in one record, so that two
// walks of it at once would split them. A retrieval that never reports (a
// walk that fails part-way does not) is joined only for its lifetime, and
// forgotten once the waits of its probes are over too; the next probe starts
// another.
class CExporterProbes {
public:
    static constexpr UINT kMessage = WM_APP + 1;
    static constexpr std::chrono::seconds kLifetime{60};
    // Retrievals that may run at once: each holds a socket, and probes that
    // give up at once could start any number.
    static constexpr size_t kMaxRunning = 4096;

    CExporterProbes(DWORD loopThread, KRW6180PlugGetClinetInforFunction start) : loopThread(loopThread), start(start) {}

    // Any thread: hands a probe of address (dotted) to the loop thread; null
    // once closed.
    std::shared_ptr<CProbeWaiter> Submit(const std::string& address, CProbeClock::time_point deadline);

    // The loop thread, on kMessage: joins or starts the retrievals of the
    // probes handed over.
    void StartSubmitted(CProbeClock::time_point now);
    // The loop thread, from the plug-in's callback.
    void Take(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context);
    // The loop thread: forgets retrievals whose time is over.
    void Sweep(CProbeClock::time_point now);
    // The loop thread: takes no more probes and ends the waits of those it
    // has with a failed report of this message.
    void Close(const std::string& message);

    size_t Running() const { return running.size(); }

private:
    struct CSubmitted {
        std::string address;
        std::shared_ptr<CProbeWaiter> waiter;
    };
    struct CRetrieval {
        std::string address;
        CProbeClock::time_point started;
        CProbeClock::time_point expiry;  // the later of its lifetime's end and its probes' deadlines
        std::vector<std::shared_ptr<CProbeWaiter>> waiters;
    };

    void Start(CSubmitted probe, CProbeClock::time_point now);
    bool Join(CSubmitted& probe, CProbeClock::time_point now);
    void Forget(std::map<uint32_t, CRetrieval>::iterator retrieval);

    const DWORD loopThread;
    const KRW6180PlugGetClinetInforFunction start;
    std::mutex mutex;  // guards submitted and closed
    std::vector<CSubmitted> submitted;
    bool closed = false;
    std::map<uint32_t, CRetrieval> running;  // by context
    std::map<std::string, uint32_t> contextOf;
    uint32_t nextContext = 1;
};

// A failed report with this message.
CHostReport FailedReport(const std::string& message);

// The plug-in's callback: hands the report to the current probes.
void TakeProbeReport(const HostResult* result, int32_t count, const HostClientEntry* const* entries, uint32_t context);
void SetCurrentProbes(CExporterProbes* probes);
