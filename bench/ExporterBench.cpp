// exporter-bench [SECTION...] [--before PATH]: krw6180-exporter measured,
// each section alone or all of them ("all"); "probes" when none is named.
//
// probes: probes through the exporter against a round of krw6180-clients:
// N access points of 20 clients each (N = 1, 50, 200 and 1,000) answering D
// ms late (D = 2 and 20), every one probed at once on a connection of its
// own, the worst a Prometheus server does. Beside each, in the same run, the
// same access points listed by krw6180-clients in one round (its --stats
// time, without the program's start). Prints per case, best of three: the
// time until the last probe answered, its ratio to the host's round, whether
// every client came, and the exporter's resident memory afterwards. Goal:
// within 1.2x of the host's round; the exporter adds only HTTP.
//
// slow, burst, flood, reuse, throughput, scale: the HTTP side under load
// (see ExporterBenchLoad.h), beside an earlier build of the exporter where
// one is given (--before PATH or KRW_EXPORTER_BEFORE; its libraries in lib/
// beside it, if it needs them).

#include "bench/BenchPrograms.h"
#include "bench/ExporterBenchLoad.h"
#include "bench/ExporterBenchSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchFolder.h"

#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <regex>
#include <thread>

namespace {

const int kRounds = 3;
const int kClients = 20;
const char kBudget[] = "1000";  // five seconds per attempt, as latency-bench (and StartExporter)

// The exporter on a free loopback port (its log in the scratch folder),
// stopped by its process id.
class CExporter {
public:
    CExporter(unsigned short agentPort, const std::string& folder)
    {
        krwbench::StartExporter(server, KRW_EXPORTER_PROGRAM, agentPort, {}, folder);
    }

    unsigned short Port() const { return server.Port(); }

    std::string Get(const std::string& path) const
    {
        httplib::Client client("127.0.0.1", server.Port());
        client.set_read_timeout(std::chrono::seconds(120));
        const httplib::Result result = client.Get(path.c_str(), {{"X-Prometheus-Scrape-Timeout-Seconds", "120"}});
        return result ? result->body : std::string();
    }

private:
    krwbench::CServer server;
};

long Figure(const std::string& metrics, const char* name)
{
    std::smatch match;
    return std::regex_search(metrics, match, std::regex(std::string("\n") + name + " ([0-9]+)\n")) ? std::stol(match[1])
                                                                                                   : -1;
}

// Every access point probed at once; the time until the last answer and the
// clients of all answers.
double ProbeAll(const CExporter& exporter, const std::vector<std::string>& addresses, long* clients)
{
    std::atomic<long> total{0};
    std::vector<std::thread> probes;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& address : addresses)
        probes.emplace_back([&exporter, &total, address] {
            const long count = Figure("\n" + exporter.Get("/probe?target=" + address), "krw6180_clients");
            total += count > 0 ? count : 0;
        });
    for (std::thread& probe : probes)
        probe.join();
    *clients = total;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Measure(int delayMs, int accessPoints, const std::string& folder)
{
    krwbench::CAgents agents(accessPoints, kClients, delayMs, 1);
    CExporter exporter(agents.Port(), folder);
    if (agents.Port() == 0 || exporter.Port() == 0) {
        fprintf(stderr, "cannot start krw6180-apsim or krw6180-exporter\n");
        return;
    }
    const std::vector<std::string> addresses = krwbench::LoopbackAddresses(accessPoints);
    std::vector<std::string> host{
        KRW_CLIENTS_PROGRAM, "-p", std::to_string(agents.Port()), "-t", kBudget, "-f", "csv", "--stats"};
    host.insert(host.end(), addresses.begin(), addresses.end());
    double probeSeconds = 1e9, hostSeconds = 1e9;
    bool complete = true;
    for (int round = 0; round < kRounds; ++round) {
        long clients = 0;
        probeSeconds = std::min(probeSeconds, ProbeAll(exporter, addresses, &clients));
        krwbench::CHostRoundStats stats;
        const bool read = krwbench::ReadHostRound(krwbench::RunAll({host}, folder), &stats);
        hostSeconds = std::min(hostSeconds, read ? stats.seconds : 1e9);
        complete = complete && clients == accessPoints * kClients && read &&
                   stats.clients == static_cast<size_t>(accessPoints * kClients);
    }
    const long resident = Figure(exporter.Get("/metrics"), "process_resident_memory_bytes");
    printf("%4d ms %6d %10.3f %9.3f %8.2f %8.1f%s\n", delayMs, accessPoints, probeSeconds, hostSeconds,
           probeSeconds / hostSeconds, resident / 1048576.0, complete ? "" : "  (clients missing!)");
    fflush(stdout);
}

const char* const kSections[] = {"probes", "slow", "burst", "flood", "reuse", "throughput", "scale"};

void MeasureProbes(const std::string& folder)
{
    printf("probes of every access point at once, 20 clients each, best of %d:\n", kRounds);
    printf("%7s %6s %10s %9s %8s %8s\n", "delay", "APs", "probes s", "host s", "x host", "RSS MB");
    for (int delayMs : {2, 20})
        for (int accessPoints : {1, 50, 200, 1000})
            Measure(delayMs, accessPoints, folder);
}

int Usage()
{
    fprintf(stderr,
            "usage: exporter-bench [all|probes|slow|burst|flood|reuse|throughput|scale]... [--before PATH]\n"
            "  --before PATH  an earlier krw6180-exporter to measure beside this one (or KRW_EXPORTER_BEFORE)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> chosen;
    const char* fromEnvironment = getenv("KRW_EXPORTER_BEFORE");
    krwbench::CLoadSettings settings;
    settings.exporter = KRW_EXPORTER_PROGRAM;
    settings.before = fromEnvironment != nullptr ? fromEnvironment : "";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--before" && i + 1 < argc) {
            settings.before = argv[++i];
        } else if (argument == "all") {
            chosen.assign(std::begin(kSections), std::end(kSections));
        } else if (std::find(std::begin(kSections), std::end(kSections), argument) != std::end(kSections)) {
            chosen.push_back(argument);
        } else {
            return Usage();
        }
    }
    if (chosen.empty())
        chosen.push_back("probes");
    if (!settings.before.empty() && access(settings.before.c_str(), X_OK) != 0) {
        printf("no earlier build at %s: this build alone\n", settings.before.c_str());
        settings.before.clear();
    }
    // Thousands of connections at once, on both sides: the exporter inherits this.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    const auto folder = krwtest::MakeScratchFolder("krw-exporter-bench-");
    settings.folder = folder.string();
    for (const char* section : kSections) {
        if (std::find(chosen.begin(), chosen.end(), section) == chosen.end())
            continue;
        const std::string name = section;
        if (name == "probes")
            MeasureProbes(settings.folder);
        else if (name == "slow")
            krwbench::MeasureSlowClients(settings);
        else if (name == "burst")
            krwbench::MeasureBurst(settings);
        else if (name == "flood")
            krwbench::MeasureFlood(settings);
        else if (name == "reuse")
            krwbench::MeasureReuse(settings);
        else if (name == "throughput")
            krwbench::MeasureThroughput(settings);
        else if (name == "scale")
            krwbench::MeasureScale(settings);
        fflush(stdout);
    }
    krwtest::RemoveScratchFolder(folder);
    return 0;
}
