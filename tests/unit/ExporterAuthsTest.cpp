// Files of SNMP profiles: what they may say, how profiles fill in from the
// command line, and that a write community is never left readable by all.

#include "exporter/ExporterAuths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const CSnmpProfile kBase{"ro", "rw", 1162, 300};

CSnmpProfile With(std::string read, int port, int timeout)
{
    return {read, "rw", port, timeout};
}

TEST(ExporterAuthsTest, ProfilesFillInFromTheBaseAndBadFilesSayWhy)
{
    struct {
        std::string text;
        CSnmpProfiles expected;  // empty: refused
        std::vector<std::string> words;
    } cases[] = {
        {"", {{"default", kBase}}, {}},
        {"# nothing yet\nauths:\n", {{"default", kBase}}, {}},
        {"auths:\n  default: {port: 161}\n  lab: {community: alpha, timeout: 1m30s}\n  b: {timeout: 10ms}\n"
         "  c: {timeout: 1h}\n  d: {timeout: 1s990ms}\n  e: {timeout: \"0h2s\"}\n",
         {{"default", With("ro", 161, 300)},
          {"lab", With("alpha", 1162, 9000)},
          {"b", With("ro", 1162, 1)},
          {"c", With("ro", 1162, 360000)},
          {"d", With("ro", 1162, 199)},
          {"e", With("ro", 1162, 200)}},
         {}},
        {"auths: [lab]", {}, {"auths: must be a map"}},
        {"auths: {}\nmodules: {}", {}, {"unknown key \"modules\""}},
        {"auths: {lab: {communty: x}}", {}, {"profile \"lab\"", "unknown key \"communty\""}},
        {"auths: {lab: {port: 1, port: 2}}", {}, {"profile \"lab\"", "\"port\" is given twice"}},
        {"auths: {lab: {port: 65536}}", {}, {"port: must be a number from 1 to 65535"}},
        {"auths: {lab: {port: \"161\"}}", {}, {"port: must be a number"}},
        {"auths: {lab: {community: \"\"}}", {}, {"community: must not be empty"}},
        {"auths: {lab: {write_community: \"s3\\0cret\"}}", {}, {"write_community: must not hold a NUL"}},
        {"auths: {lab: {community: [a]}}", {}, {"community: must be text"}},
        {"auths: {lab: {timeout: 1.5s}}", {}, {"timeout: must be a duration", "\"1.5s\""}},
        {"auths: {lab: {timeout: 1s2m}}", {}, {"timeout: must be a duration"}},
        {"auths: {lab: {timeout: 200}}", {}, {"timeout: must be a duration"}},
        {"auths: {lab: {timeout: 1h10ms}}", {}, {"timeout: must be from 10ms to 1h"}},
        {"auths: {lab: {timeout: 99999999999999999999y}}", {}, {"timeout: must be from 10ms to 1h"}},
        {"auths: {lab: {timeout: 15ms}}", {}, {"timeout: must be whole hundredths"}},
        {"auths: {\"la b\": {}}", {}, {"profile \"la b\"", "printable"}},
        {"auths: {\"\\n\": {}}", {}, {"profile \"\\x0a\"", "printable"}},
        {"auths:\n  lab:\n  community: x\n", {}, {"profile \"lab\": must be a map"}},
        {"auths: {lab: {port: 1}", {}, {"line 1, column"}},
        {"auths: {}\n---\nauths: {}\n", {}, {"2 YAML documents"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const CSnmpProfiles before{{"old", {}}};
        CSnmpProfiles profiles = before;
        std::string error;
        const bool ok = ParseSnmpProfiles(c.text, kBase, &profiles, &error);
        EXPECT_EQ(!c.expected.empty(), ok) << error;
        EXPECT_EQ(ok ? c.expected : before, profiles);
        for (const auto& word : c.words)
            EXPECT_NE(std::string::npos, error.find(word)) << error;
        EXPECT_EQ(std::string::npos, error.find("s3")) << "a community was repeated: " << error;
    }
}

TEST(ExporterAuthsTest, AWriteCommunityIsRefusedInAFileEveryUserMayRead)
{
    char folder[] = "/tmp/auths-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    struct {
        std::string name, text;
        mode_t mode;
        std::string error;  // empty: loads
    } cases[] = {
        {"open file", "auths: {lab: {write_community: s3cret}}", 0644,
         "readable by every user and holds a write community"},
        {"own", "auths: {lab: {write_community: s3cret}}", 0640, ""},
        {"read only", "auths: {lab: {community: alpha}}", 0644, ""},
    };
    for (const auto& c : cases) {
        const std::string path = std::string(folder) + "/" + c.name + ".yml";
        std::ofstream(path) << c.text;
        ASSERT_EQ(0, chmod(path.c_str(), c.mode));
        CSnmpProfiles profiles;
        std::string error;
        EXPECT_EQ(c.error.empty(), LoadSnmpProfiles(path, kBase, &profiles, &error)) << error;
        EXPECT_EQ(c.error.empty(), error.empty()) << error;
        if (!c.error.empty()) {
            EXPECT_EQ(0u, error.find(path + ": ")) << error;
            EXPECT_NE(std::string::npos, error.find(c.error)) << error;
            EXPECT_NE(std::string::npos, error.find("chmod o-r '" + path + "'")) << error;
        }
        EXPECT_EQ(0, unlink(path.c_str()));
    }
    std::string error;
    CSnmpProfiles profiles;
    EXPECT_FALSE(LoadSnmpProfiles(std::string(folder) + "/missing.yml", kBase, &profiles, &error));
    EXPECT_NE(std::string::npos, error.find("missing.yml: cannot open")) << error;
    EXPECT_FALSE(LoadSnmpProfiles(folder, kBase, &profiles, &error));
    EXPECT_NE(std::string::npos, error.find("not a regular file")) << error;
    EXPECT_EQ(0, rmdir(folder));
}

}  // namespace
