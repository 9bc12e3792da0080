#include "snmpfw/SnmpSession.h"
#include "common/QvErrors.h"
#include "snmpfw/EventProcessorWnd.h"
#include "tests/support/RaisedCode.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Hexadecimal form of the engine id, as the counter file keys its lines.
std::string EngineIdHex()
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char* p = CSnmpSession::kEngineId; *p != '\0'; ++p) {
        hex += kDigits[(static_cast<unsigned char>(*p) >> 4) & 0xF];
        hex += kDigits[static_cast<unsigned char>(*p) & 0xF];
    }
    return hex;
}

bool SameHex(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The counter stored for our engine id, or -1 when the file has no such line.
long StoredCounter(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id;
        long counter = -1;
        if (fields >> id >> counter && SameHex(id, EngineIdHex()))
            return counter;
    }
    return -1;
}

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The code Start raises (0 when it returned normally).
int StartAndCatch(const std::string& directory)
{
    return krwtest::RaisedCode([&] { CSnmpSession::Start(CString(directory.c_str()), CString("")); });
}

class SnmpSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = krwtest::MakeScratchFolder("krw-session-");
        ASSERT_FALSE(folder.empty());
    }

    void TearDown() override
    {
        CSnmpSession::Stop();
        krwtest::RemoveScratchFolder(folder);
    }

    fs::path CounterFile() const { return folder / CSnmpSession::kBootCounterFileName; }

    fs::path folder;
};

TEST(SnmpSessionJoinPath, JoinsWithASlashOnce)
{
    struct Case {
        const char* directory;
        const char* path;
    };
    const Case cases[] = {
        {"", "QvSNMP_PP_BootCounter"},
        {"/tmp", "/tmp/QvSNMP_PP_BootCounter"},
        {"/tmp/", "/tmp/QvSNMP_PP_BootCounter"},
        {"/", "/QvSNMP_PP_BootCounter"},
        {"rel/dir", "rel/dir/QvSNMP_PP_BootCounter"},
        // Only the last character counts, and a backslash is an ordinary
        // character here.
        {"a//", "a//QvSNMP_PP_BootCounter"},
        {"C:\\Temp\\", "C:\\Temp\\/QvSNMP_PP_BootCounter"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(static_cast<const char*>(CSnmpSession::JoinPath(CString(c.directory), "QvSNMP_PP_BootCounter")),
                     c.path)
            << "directory '" << c.directory << "'";
}

TEST_F(SnmpSessionTest, EachStartAddsOneToTheCounterFile)
{
    ASSERT_EQ(StartAndCatch(folder.string()), 0);
    EXPECT_NE(CSnmpSession::GetSnmp(), nullptr);
    EXPECT_EQ(StoredCounter(CounterFile()), 1);
    CSnmpSession::Stop();
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);

    ASSERT_EQ(StartAndCatch(folder.string() + "/"), 0);
    EXPECT_EQ(StoredCounter(CounterFile()), 2);
}

TEST_F(SnmpSessionTest, FileWithoutOurLineCountsFromZeroAndKeepsTheRest)
{
    {
        std::ofstream out(CounterFile());
        out << "# engine boots\n"
            << "80001F8880AABBCC 41\n";
    }
    ASSERT_EQ(StartAndCatch(folder.string()), 0);
    EXPECT_EQ(StoredCounter(CounterFile()), 1);
    const std::string text = ReadAll(CounterFile());
    EXPECT_NE(text.find("# engine boots"), std::string::npos);
    EXPECT_NE(text.find("80001F8880AABBCC 41"), std::string::npos);
}

TEST_F(SnmpSessionTest, MalformedLineFailsToLoadAndLeavesTheSnmpObjectForStop)
{
    {
        std::ofstream out(CounterFile());
        out << EngineIdHex() << " many\n";
    }
    EXPECT_EQ(StartAndCatch(folder.string()), QV_ERR_LOAD_BOOTCOUNTER);
    EXPECT_NE(CSnmpSession::GetSnmp(), nullptr);
    CSnmpSession::Stop();
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
}

TEST_F(SnmpSessionTest, UnwritableCounterFileFailsToSaveAfterTheSnmpObjectExists)
{
    // Root writes into read-only folders, so use places no one can write to.
    {
        std::ofstream out(folder / "plain-file");
        out << "not a folder\n";
    }
    const std::string unwritable[] = {
        (folder / "missing" / "deeper").string(),
        (folder / "plain-file").string(),
    };
    for (const std::string& directory : unwritable) {
        SCOPED_TRACE(directory);
        EXPECT_EQ(StartAndCatch(directory), QV_ERR_SAVE_BOOTCOUNTER);
        EXPECT_NE(CSnmpSession::GetSnmp(), nullptr);
        CSnmpSession::Stop();
        EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
    }
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

// The exit status of a child process that runs start in its own image.
int InChild(const std::function<int()>& start)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(start());
    int status = -1;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Processes that start at once each count their boot: the counter is read,
// counted and saved by one of them at a time.
TEST_F(SnmpSessionTest, StartsAtOnceCountEveryBoot)
{
    const int kStarts = 40;
    std::vector<pid_t> children;
    for (int i = 0; i < kStarts; ++i) {
        const pid_t child = fork();
        if (child == 0)
            _exit(StartAndCatch(folder.string()) == 0 ? 0 : 1);
        children.push_back(child);
    }
    int started = 0;
    for (pid_t child : children) {
        int status = -1;
        started += child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    EXPECT_EQ(kStarts, started);
    EXPECT_EQ(kStarts, StoredCounter(CounterFile()));
}

// Another user's counter file in the shared /tmp does not keep a user from
// starting: without TMPDIR each user's counter lives in a folder of their own.
TEST_F(SnmpSessionTest, AnotherUsersCounterFileIsNotOurs)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to start as another user";
    const char kShared[] = "/tmp/QvSNMP_PP_BootCounter";
    const bool made = !fs::exists(kShared);
    if (made)
        std::ofstream(kShared) << EngineIdHex() << " 5\n";
    const uid_t nobody = 65534;
    const std::string theirs = "/tmp/krw-" + std::to_string(nobody);
    const bool theirsExisted = fs::exists(theirs);
    const int status = InChild([nobody] {
        if (setgid(nobody) != 0 || setuid(nobody) != 0)
            return 2;
        ::unsetenv("TMPDIR");
        char directory[MAX_PATH + 1] = {};
        if (GetTempPathA(sizeof directory, directory) == 0)
            return 3;
        return StartAndCatch(directory) == 0 ? 0 : 1;
    });
    EXPECT_EQ(0, status);
    std::error_code ignored;
    if (!theirsExisted)
        fs::remove_all(theirs, ignored);
    if (made)
        fs::remove(kShared, ignored);
}

// Engine boots stop at 2^31 - 1, whatever the file says.
TEST_F(SnmpSessionTest, TheCounterStopsAtItsMaximum)
{
    const struct {
        const char* stored;
        long expected;
    } cases[] = {{"2147483646", 2147483647}, {"2147483647", 2147483647}, {"4294967295", 2147483647}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        {
            std::ofstream out(CounterFile());
            out << EngineIdHex() << " " << c.stored << "\n";
        }
        ASSERT_EQ(StartAndCatch(folder.string()), 0);
        EXPECT_EQ(StoredCounter(CounterFile()), c.expected);
        CSnmpSession::Stop();
    }
}

// Whatever lies where the counter file belongs: a start either counts from
// what it can read or fails with a code, never writes anywhere else, and
// keeps the lines it does not own.
TEST_F(SnmpSessionTest, HostileCounterFiles)
{
    const fs::path elsewhere = folder / "elsewhere";
    const std::string theirs = EngineIdHex() + " 7\n";
    const std::string longLine(10 * 1024 * 1024, 'x');
    const struct {
        const char* name;
        std::function<void()> make;
        int code;
        long counter;  // stored afterwards, -1: the file is not ours to read
    } cases[] = {
        {"binary garbage",
         [&] { std::ofstream(CounterFile(), std::ios::binary) << std::string("\x01\xff\0\n\x80 9", 7); }, 0, 1},
        {"a 10 MB line", [&] { std::ofstream(CounterFile()) << longLine; }, 0, 1},
        {"a folder", [&] { fs::create_directory(CounterFile()); }, QV_ERR_SAVE_BOOTCOUNTER, -1},
        {"a link to a file elsewhere",
         [&] {
             std::ofstream(elsewhere) << theirs;
             fs::create_symlink(elsewhere, CounterFile());
         },
         0, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(CounterFile());
        c.make();
        EXPECT_EQ(StartAndCatch(folder.string()), c.code);
        CSnmpSession::Stop();
        if (c.counter >= 0) {
            EXPECT_EQ(StoredCounter(CounterFile()), c.counter);
        }
    }
    EXPECT_EQ(ReadAll(elsewhere), theirs);
    EXPECT_FALSE(fs::is_symlink(CounterFile()));
    fs::remove_all(CounterFile());
    std::ofstream(CounterFile()) << longLine;
    ASSERT_EQ(StartAndCatch(folder.string()), 0);
    EXPECT_EQ(ReadAll(CounterFile()), longLine + "\n" + EngineIdHex() + " 1\n");
}

TEST_F(SnmpSessionTest, StartSetsTheDefaultTargetParameters)
{
    ASSERT_EQ(StartAndCatch(folder.string()), 0);
    const CSnmpTargetParams& params = CSnmpSession::GetDefaultTargetParams();
    EXPECT_EQ(params.timeout, 100);
    EXPECT_EQ(params.retries, 0);
    EXPECT_STREQ(static_cast<const char*>(params.address), "127.0.0.1");
    EXPECT_EQ(params.port, 161);
    EXPECT_TRUE(params.contextEngineId.IsEmpty());
    EXPECT_TRUE(params.contextName.IsEmpty());
    EXPECT_EQ(params.version, 0);
    EXPECT_STREQ(static_cast<const char*>(params.readCommunity), "garnet");
    EXPECT_STREQ(static_cast<const char*>(params.writeCommunity), "harbour");
    EXPECT_EQ(params.securityModel, 1);
    EXPECT_EQ(params.securityLevel, 1);
    EXPECT_TRUE(params.securityName.IsEmpty());
    EXPECT_TRUE(params.authPassword.IsEmpty());
    EXPECT_TRUE(params.privPassword.IsEmpty());
    EXPECT_EQ(params.authProtocol, 1);
    EXPECT_EQ(params.privProtocol, 1);
}

TEST_F(SnmpSessionTest, StopKeepsTheWindowAndASecondStopDoesNothing)
{
    ASSERT_EQ(StartAndCatch(folder.string()), 0);
    CEventProcessorWnd& processor = CSnmpSession::GetEventProcessor();
    ASSERT_NE(processor.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(::IsWindow(processor.GetSafeHwnd()));
    CString title;
    processor.GetWindowText(title);
    EXPECT_STREQ(static_cast<const char*>(title), "Snmp EventProcessor");
    EXPECT_EQ(processor.GetStyle(), WS_POPUP);

    CSnmpSession::Stop();
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
    EXPECT_TRUE(::IsWindow(processor.GetSafeHwnd()));
    CSnmpSession::Stop();
    EXPECT_EQ(CSnmpSession::GetSnmp(), nullptr);
    EXPECT_TRUE(::IsWindow(processor.GetSafeHwnd()));
}

}  // namespace
