#include "snmplib/SnmpLib.h"
#include "tests/support/FreePort.h"
#include "tests/support/SharedAgentTest.h"
#include "tests/support/SnmpdAgent.h"
#include "tests/support/SnmplibPump.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using krwtest::CCompletion;
using krwtest::CommunityTarget;
using krwtest::OidText;
using krwtest::PduOf;
using krwtest::PumpUntil;
using krwtest::ValueText;
using std::chrono::milliseconds;

namespace {

const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const char kSysObjectId[] = "1.3.6.1.2.1.1.2.0";
const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";
const char kSysContact[] = "1.3.6.1.2.1.1.4.0";
const char kSysLocation[] = "1.3.6.1.2.1.1.6.0";
const char kSystemGroup[] = "1.3.6.1.2.1.1";
const milliseconds kBound(10000);

class SnmplibCommunityTest : public krwtest::CSharedAgentSessionTest {
protected:
    // What snmpget prints as the bare value of oid (-Oqv), with these output options.
    std::string ToolValue(const std::string& oid, const std::string& options) const
    {
        int status = -1;
        std::string out = agent->RunTool(SNMPGET_PROGRAM, {options, "-Oqv", "-v2c", "-c", "public"}, {oid}, &status);
        EXPECT_EQ(0, status);
        return out;
    }

    CTarget Target(snmp_version version = version2c, unsigned long timeout = 100, int retries = 1) const
    {
        return CommunityTarget(agent->Port(), version, timeout, retries);
    }
};

bool Called(const CCompletion& completion)
{
    return completion.calls > 0;
}

TEST_F(SnmplibCommunityTest, AsyncGetCompletesOnlyInsideThePumpWithTheAgentsValues)
{
    const std::string descrBefore = ToolValue(kSysDescr, "-Oa");
    const unsigned long upTimeBefore = std::strtoul(ToolValue(kSysUpTime, "-Ot").c_str(), nullptr, 10);
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr, kSysObjectId, kSysUpTime});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, Target(), krwtest::RecordCompletion, &done));

    // The answer arrives on the socket, yet nothing is delivered until the pump runs.
    ASSERT_TRUE(krwtest::WaitForDatagram(kBound));
    EXPECT_EQ(0, done.calls);
    ASSERT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
    const unsigned long upTimeAfter = std::strtoul(ToolValue(kSysUpTime, "-Ot").c_str(), nullptr, 10);

    EXPECT_EQ(1, done.calls);
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
    EXPECT_EQ(0, done.pdu.get_error_status());
    ASSERT_EQ(3, done.pdu.get_vb_count());
    EXPECT_EQ(kSysDescr, OidText(done.pdu, 0));
    EXPECT_EQ(descrBefore, '"' + ValueText(done.pdu, 0) + '"');
    EXPECT_EQ(ToolValue(kSysObjectId, "-On"), "." + ValueText(done.pdu, 1));
    TimeTicks upTime;
    ASSERT_EQ(SNMP_CLASS_SUCCESS, done.pdu.vb_at(2)->get_value(upTime));
    EXPECT_LE(upTimeBefore, static_cast<unsigned long>(upTime));
    EXPECT_GE(upTimeAfter, static_cast<unsigned long>(upTime));
}

TEST_F(SnmplibCommunityTest, GetNextStepsThroughTheSystemGroupInOrder)
{
    CTarget target = Target();
    Oid previous(kSystemGroup);
    std::vector<std::string> seen;
    for (int step = 0; step < 100; ++step) {
        Pdu pdu = PduOf({previous.get_printable()});
        ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get_next(pdu, target));
        ASSERT_EQ(1, pdu.get_vb_count());
        const Oid received = pdu.vb_at(0)->get_oid();
        ASSERT_GT(received, previous);
        if (received.nCompare(Oid(kSystemGroup).len(), Oid(kSystemGroup)) != 0)
            break;
        seen.push_back(received.get_printable());
        if (seen.back() == kSysLocation) {
            EXPECT_EQ("krw-test-agent", ValueText(pdu, 0));
        }
        previous = received;
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(kSysDescr, seen.front());
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), kSysUpTime));
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), kSysLocation));
}

TEST_F(SnmplibCommunityTest, AsyncGetNextAnswersTheFollowingObject)
{
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get_next(pdu, Target(), krwtest::RecordCompletion, &done));
    ASSERT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
    EXPECT_EQ(kSysObjectId, OidText(done.pdu, 0));
}

TEST_F(SnmplibCommunityTest, SetNeedsTheWriteCommunity)
{
    const std::string contact = "engine-test-" + std::to_string(krwtest::FindFreeUdpPort());
    Pdu write = PduOf({kSysContact});
    Vb vb{Oid(kSysContact)};
    vb.set_value(contact.c_str());
    write.set_vb(vb, 0);

    // The read community may not write: the agent's error status comes back,
    // blocking as the result, asynchronously in the response.
    CTarget readOnly = CommunityTarget(agent->Port(), version2c, 100, 1, "public", "public");
    Pdu refused = write;
    const int status = snmp->set(refused, readOnly);
    EXPECT_GE(status, 1);
    EXPECT_LE(status, 18);
    EXPECT_EQ(status, refused.get_error_status());
    CCompletion asyncRefused;
    Pdu again = write;
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->set(again, readOnly, krwtest::RecordCompletion, &asyncRefused));
    ASSERT_TRUE(PumpUntil([&] { return Called(asyncRefused); }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, asyncRefused.reason);
    EXPECT_EQ(status, asyncRefused.pdu.get_error_status());
    EXPECT_NE('"' + contact + '"', ToolValue(kSysContact, "-Oa"));

    CCompletion accepted;
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->set(write, Target(), krwtest::RecordCompletion, &accepted));
    ASSERT_TRUE(PumpUntil([&] { return Called(accepted); }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, accepted.reason);
    EXPECT_EQ(0, accepted.pdu.get_error_status());
    EXPECT_EQ('"' + contact + '"', ToolValue(kSysContact, "-Oa"));
}

TEST_F(SnmplibCommunityTest, EachVersionReadsAndReportsMissingObjectsItsOwnWay)
{
    const std::string descr = ToolValue(kSysDescr, "-Oa");
    for (snmp_version version : {version1, version2c}) {
        SCOPED_TRACE(version);
        Pdu pdu = PduOf({kSysDescr});
        ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, Target(version)));
        EXPECT_EQ(descr, '"' + ValueText(pdu, 0) + '"');

        Pdu missing = PduOf({"1.3.6.1.2.1.1.99.0"});
        const int status = snmp->get(missing, Target(version));
        if (version == version1) {
            EXPECT_EQ(2, status);  // noSuchName
            EXPECT_EQ(1, missing.get_error_index());
        } else {
            EXPECT_EQ(SNMP_CLASS_SUCCESS, status);
            EXPECT_EQ(sNMP_SYNTAX_NOSUCHOBJECT, missing.vb_at(0)->get_syntax());
            EXPECT_STREQ("", missing.vb_at(0)->get_printable_value());
        }
    }
}

TEST_F(SnmplibCommunityTest, UnansweredRequestTimesOutOnceAfterEveryAttempt)
{
    const unsigned short silent = krwtest::FindFreeUdpPort();
    ASSERT_NE(0, silent);
    const unsigned long timeout = 30;
    const int retries = 2;
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(SNMP_CLASS_SUCCESS,
              snmp->get(pdu, CommunityTarget(silent, version2c, timeout, retries), krwtest::RecordCompletion, &done));
    ASSERT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, done.reason);
    EXPECT_EQ(kSysDescr, OidText(done.pdu, 0));
    const auto elapsed = std::chrono::duration_cast<milliseconds>(done.when - sent);
    EXPECT_GE(elapsed.count(), static_cast<long>((retries + 1) * timeout * 10) - 20);

    // Nothing more comes for it, however long the pump runs.
    PumpUntil([] { return false; }, milliseconds(timeout * 10 * 2));
    EXPECT_EQ(1, done.calls);

    Pdu blocking = PduOf({kSysDescr});
    EXPECT_EQ(SNMP_CLASS_TIMEOUT, snmp->get(blocking, CommunityTarget(silent, version1, 10, 1)));
}

TEST_F(SnmplibCommunityTest, DeletingTheSessionEndsOutstandingRequestsOnce)
{
    const unsigned short silent = krwtest::FindFreeUdpPort();
    CCompletion silentDone;
    CCompletion answeredDone;
    Pdu pdu = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS,
              snmp->get(pdu, CommunityTarget(silent, version2c, 500, 1), krwtest::RecordCompletion, &silentDone));
    // Answered already, but not handed out yet: it is still outstanding.
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, Target(), krwtest::RecordCompletion, &answeredDone));
    ASSERT_TRUE(krwtest::WaitForDatagram(kBound));

    snmp.reset();
    EXPECT_EQ(1, silentDone.calls);
    EXPECT_EQ(SNMP_CLASS_SESSION_DESTROYED, silentDone.reason);
    EXPECT_EQ(1, answeredDone.calls);
    EXPECT_EQ(SNMP_CLASS_SESSION_DESTROYED, answeredDone.reason);
    PumpUntil([] { return false; }, milliseconds(200));
    EXPECT_EQ(1, silentDone.calls);
    EXPECT_EQ(1, answeredDone.calls);
}

TEST_F(SnmplibCommunityTest, BlockingGetLeavesOtherRequestsToThePump)
{
    CCompletion asyncDone;
    Pdu first = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(first, Target(), krwtest::RecordCompletion, &asyncDone));
    // The agent answers in order, so the first answer is in before the second.
    Pdu second = PduOf({kSysUpTime});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(second, Target()));
    EXPECT_EQ(0, asyncDone.calls);
    ASSERT_TRUE(PumpUntil([&] { return Called(asyncDone); }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, asyncDone.reason);
}

struct CChain {
    Snmp* snmp = nullptr;
    CTarget target;
    int steps = 0;
    int blockingStatus = -1;
    std::string blockingValue;
    std::vector<int> reasons;
    int sendStatus = 0;
};

void NextStep(int reason, Snmp* session, Pdu&, SnmpTarget&, void* data)
{
    CChain* chain = static_cast<CChain*>(data);
    chain->reasons.push_back(reason);
    if (++chain->steps == 3)
        return;
    Pdu blocking = PduOf({kSysLocation});
    chain->blockingStatus = session->get(blocking, chain->target);
    chain->blockingValue = ValueText(blocking, 0);
    Pdu next = PduOf({kSysDescr});
    chain->sendStatus = session->get(next, chain->target, NextStep, chain);
}

TEST_F(SnmplibCommunityTest, CallbackMaySendTheNextRequestAndRunABlockingGet)
{
    CChain chain;
    chain.snmp = snmp.get();
    chain.target = Target();
    Pdu pdu = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, chain.target, NextStep, &chain));
    ASSERT_TRUE(PumpUntil([&] { return chain.steps == 3; }, kBound));
    EXPECT_EQ(std::vector<int>(3, SNMP_CLASS_ASYNC_RESPONSE), chain.reasons);
    EXPECT_EQ(SNMP_CLASS_SUCCESS, chain.blockingStatus);
    EXPECT_EQ("krw-test-agent", chain.blockingValue);
    EXPECT_EQ(SNMP_CLASS_SUCCESS, chain.sendStatus);
}

TEST_F(SnmplibCommunityTest, RefusedSendsGiveTheirResultAndNoCallback)
{
    CCompletion done;
    Pdu pdu = PduOf({kSysDescr});
    CTarget nowhere;  // no address
    SnmpTarget bare(UdpAddress("127.0.0.1:161"));
    CTarget v3Community = Target(version3);
    Pdu noOid;
    noOid += Vb();
    struct Case {
        const char* what;
        int result;
        int status;
    } cases[] = {
        {"no callback", SNMP_CLASS_INVALID_CALLBACK, snmp->get(pdu, Target(), nullptr, &done)},
        {"no address", SNMP_CLASS_INVALID_ADDRESS, snmp->get(pdu, nowhere, krwtest::RecordCompletion, &done)},
        {"plain target", SNMP_CLASS_INVALID_TARGET, snmp->get(pdu, bare, krwtest::RecordCompletion, &done)},
        {"community v3", SNMP_CLASS_INVALID_TARGET, snmp->get(pdu, v3Community, krwtest::RecordCompletion, &done)},
        {"binding without oid", SNMP_CLASS_INVALID_OID, snmp->get(noOid, Target(), krwtest::RecordCompletion, &done)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.status) << c.what;
    PumpUntil([] { return false; }, milliseconds(100));
    EXPECT_EQ(0, done.calls);
}

TEST_F(SnmplibCommunityTest, ManyAgentsInTurnKeepFewSocketsOpen)
{
    const int before = krwtest::OpenDescriptorCount();
    int timedOut = 0;
    for (int i = 0; i < 300; ++i) {
        CCompletion done;
        Pdu pdu = PduOf({kSysDescr});
        const unsigned short port = static_cast<unsigned short>(40000 + (i * 7) % 20000);
        if (port == agent->Port())
            continue;
        ASSERT_EQ(SNMP_CLASS_SUCCESS,
                  snmp->get(pdu, CommunityTarget(port, version2c, 1, 0), krwtest::RecordCompletion, &done));
        ASSERT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
        timedOut += done.reason == SNMP_CLASS_TIMEOUT;
    }
    EXPECT_GT(timedOut, 250);
    // Those idle beyond the few kept close after a grace time of seconds.
    EXPECT_TRUE(PumpUntil([&] { return krwtest::OpenDescriptorCount() <= before + 10; }, kBound));
}

// A socket of ours closed outside a pass (with its Snmp object, or by
// finishing message processing) leaves nothing behind that watches its
// descriptor number, which the next socket of the process may get.
TEST_F(SnmplibCommunityTest, DescriptorOfAClosedSessionIsNotMistakenForItsNextUser)
{
    const std::function<void(std::unique_ptr<Snmp>&)> closers[] = {
        [](std::unique_ptr<Snmp>& other) { other.reset(); },
        [](std::unique_ptr<Snmp>&) { mpFinish(); },
    };
    for (const auto& close : closers) {
        int status = SNMP_CLASS_ERROR;
        auto other = std::make_unique<Snmp>(status);
        const std::set<int> before = krwtest::OpenSockets();
        CCompletion done;
        Pdu pdu = PduOf({kSysDescr});
        ASSERT_EQ(SNMP_CLASS_SUCCESS, other->get(pdu, Target(), krwtest::RecordCompletion, &done));
        ASSERT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
        std::vector<int> opened;
        for (int fd : krwtest::OpenSockets())
            if (!before.count(fd))
                opened.push_back(fd);
        ASSERT_EQ(1u, opened.size());
        close(other);

        // Someone else's socket under the same number, with a datagram waiting.
        const int reused = opened.front();
        const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (socket != reused) {
            ASSERT_EQ(reused, dup3(socket, reused, O_CLOEXEC));
            ::close(socket);
        }
        const unsigned short port = krwtest::BindLoopback(reused);
        ASSERT_NE(0, port);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        ASSERT_EQ(1, sendto(reused, "x", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address));

        std::vector<pollfd> fds;
        SNMPGetPendingEvents(fds);
        EXPECT_EQ(0, poll(fds.data(), fds.size(), 0));
        SNMPProcessPendingEvents();
        char byte = 0;
        EXPECT_EQ(1, recv(reused, &byte, 1, MSG_DONTWAIT)) << "the library read someone else's socket";
        ::close(reused);
    }
}

TEST_F(SnmplibCommunityTest, ReceivedValuesKeepTheirSyntax)
{
    struct Case {
        const char* oid;
        SmiUINT32 syntax;
        bool stable;  // the value does not change between two reads
    } cases[] = {
        {kSysDescr, sNMP_SYNTAX_OCTETS, true},
        {kSysObjectId, sNMP_SYNTAX_OID, true},
        {kSysUpTime, sNMP_SYNTAX_TIMETICKS, false},
        {"1.3.6.1.2.1.2.2.1.7.1", sNMP_SYNTAX_INT, true},              // ifAdminStatus
        {"1.3.6.1.2.1.2.2.1.10.1", sNMP_SYNTAX_CNTR32, false},         // ifInOctets
        {"1.3.6.1.2.1.2.2.1.5.1", sNMP_SYNTAX_GAUGE32, true},          // ifSpeed
        {"1.3.6.1.2.1.4.20.1.1.127.0.0.1", sNMP_SYNTAX_IPADDR, true},  // ipAdEntAddr
        {"1.3.6.1.2.1.31.1.1.1.6.1", sNMP_SYNTAX_CNTR64, false},       // ifHCInOctets
    };
    std::vector<std::string> oids;
    for (const Case& c : cases)
        oids.push_back(c.oid);
    Pdu pdu = PduOf(oids);
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, Target()));
    ASSERT_EQ(static_cast<int>(oids.size()), pdu.get_vb_count());
    for (size_t i = 0; i < oids.size(); ++i) {
        SCOPED_TRACE(cases[i].oid);
        EXPECT_EQ(cases[i].syntax, pdu.vb_at(static_cast<int>(i))->get_syntax());
        if (cases[i].stable && cases[i].syntax != sNMP_SYNTAX_OCTETS && cases[i].syntax != sNMP_SYNTAX_OID) {
            EXPECT_EQ(ToolValue(cases[i].oid, "-Oe"), ValueText(pdu, static_cast<int>(i)));
        }
    }
}

// Descriptors above 1023 do not fit a plain fd_set.
TEST_F(SnmplibCommunityTest, SocketsAboveDescriptor1023Work)
{
    rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &saved));
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < 1200)
        GTEST_SKIP() << "the descriptor limit is too low";
    rlimit raised = saved;
    raised.rlim_cur = saved.rlim_max == RLIM_INFINITY || saved.rlim_max > 2048 ? 2048 : saved.rlim_max;
    ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &raised));
    std::vector<int> fillers;
    while (fillers.size() < 2048 && (fillers.empty() || fillers.back() < 1100)) {
        const int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            break;
        fillers.push_back(fd);
    }
    ASSERT_FALSE(fillers.empty());
    EXPECT_GE(fillers.back(), 1100);

    CCompletion done;
    Pdu pdu = PduOf({kSysLocation});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(pdu, Target(), krwtest::RecordCompletion, &done));
    EXPECT_TRUE(PumpUntil([&] { return Called(done); }, kBound));
    EXPECT_EQ(SNMP_CLASS_ASYNC_RESPONSE, done.reason);
    EXPECT_EQ("krw-test-agent", ValueText(done.pdu, 0));
    Pdu blocking = PduOf({kSysLocation});
    EXPECT_EQ(SNMP_CLASS_SUCCESS, snmp->get(blocking, Target()));
    EXPECT_EQ("krw-test-agent", ValueText(blocking, 0));

    snmp.reset();
    for (int fd : fillers)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
}

// A socket that cannot be had is a resource failure, not a bad address.
TEST_F(SnmplibCommunityTest, RunningOutOfDescriptorsIsAResourceFailure)
{
    // Everything this path needs has been through once, so that nothing
    // needs a descriptor of the sanitizers' while there is none.
    Pdu warmUp = PduOf({kSysDescr});
    ASSERT_EQ(SNMP_CLASS_SUCCESS, snmp->get(warmUp, Target()));
    Pdu refused = PduOf({kSysDescr});
    const CTarget other = CommunityTarget(krwtest::FindFreeUdpPort(), version2c, 1, 0);
    rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &saved));
    rlimit lowered = saved;
    lowered.rlim_cur = 256;
    ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &lowered));
    std::vector<int> fillers;
    for (int fd = 0; fillers.size() < 256 && (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fillers.push_back(fd);
    const int result = snmp->get(refused, other);
    for (int fd : fillers)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(SNMP_CLASS_RESOURCE_UNAVAIL, result);
}

}  // namespace
