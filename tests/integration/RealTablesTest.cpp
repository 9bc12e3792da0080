#include "tests/support/ChildProcess.h"
#include "tests/support/SharedAgentTest.h"
#include "tests/support/SnmpdAgent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// Real tables of a real agent (snmpd), walked through snmpfw-fetch with
// SNMPv1, v2c and v3 authPriv, each column compared with what snmpwalk reads.
namespace {

struct CColumn {
    const char* variable;  // as snmpfw-fetch takes it
    bool hex;              // snmpwalk shows it as hexadecimal octets
};

struct CTable {
    const char* what;
    int keys;
    std::vector<CColumn> columns;
};

const std::vector<CTable> kTables = {
    {"ifTable",
     1,
     {{"1.3.6.1.2.1.2.2.1.1:integer", false},
      {"1.3.6.1.2.1.2.2.1.2:displaystr", false},
      {"1.3.6.1.2.1.2.2.1.3:integer", false},
      {"1.3.6.1.2.1.2.2.1.6:octetstr", true},
      {"1.3.6.1.2.1.2.2.1.8:integer", false}}},
    {"ipAddrTable, indexed by an IpAddress",
     1,
     {{"1.3.6.1.2.1.4.20.1.1:ipaddress", false},
      {"1.3.6.1.2.1.4.20.1.2:integer", false},
      {"1.3.6.1.2.1.4.20.1.3:ipaddress", false}}},
    {"vacmSecurityToGroupTable, indexed by a number and a string",
     2,
     {{"1.3.6.1.6.3.16.1.2.1.1:integer:notaccess", false},
      {"1.3.6.1.6.3.16.1.2.1.2:displaystr:notaccess", false},
      {"1.3.6.1.6.3.16.1.2.1.3:displaystr", false},
      {"1.3.6.1.6.3.16.1.2.1.4:integer", false}}},
};

const std::vector<std::vector<std::string>> kVersions = {
    {"-v", "1"},
    {"-v", "2c"},
    {"-v", "3", "-u", "privUser", "-l", "authPriv", "-a", "SHA", "-A", "authpassword1", "-x", "AES", "-X",
     "privpassword1"},
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

// A value as snmpwalk -Oq prints it, in the framework's display form.
std::string Normalized(std::string value, bool hex)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    if (hex)
        value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
    return value;
}

class RealTablesTest : public krwtest::CSharedAgentTest {
protected:
    // The column's values in row order, read by snmpwalk.
    std::vector<std::string> Snmpwalk(const std::string& variable, bool hex) const
    {
        const std::string oid = variable.substr(0, variable.find(':'));
        std::vector<std::string> args{"-v2c", "-c", "public", "-On", "-Oq", "-Oe"};
        if (hex)
            args.push_back("-Ox");
        int status = -1;
        const std::string out = agent->RunTool(SNMPWALK_PROGRAM, args, {oid}, &status);
        EXPECT_EQ(0, status) << oid;
        std::vector<std::string> values;
        for (const std::string& line : Split(out, '\n')) {
            const size_t blank = line.find(' ');
            values.push_back(blank == std::string::npos ? std::string() : Normalized(line.substr(blank + 1), hex));
        }
        return values;
    }

    // The rows snmpfw-fetch prints for a walk (its header line dropped).
    std::vector<std::vector<std::string>> Fetch(const CTable& table, const std::vector<std::string>& version) const
    {
        std::vector<std::string> argv{KRW_FETCH_PROGRAM, "-p", std::to_string(agent->Port()), "--walk",
                                      std::to_string(table.keys)};
        argv.insert(argv.end(), version.begin(), version.end());
        argv.push_back("127.0.0.1");
        for (const CColumn& column : table.columns)
            argv.push_back(column.variable);
        int status = -1;
        const std::string out =
            krwtest::RunProgram(argv, krwtest::EnvironmentWith({"TMPDIR=" + agent->Folder()}), &status);
        EXPECT_EQ(0, status);
        std::vector<std::vector<std::string>> rows;
        const std::vector<std::string> lines = Split(out, '\n');
        for (size_t i = 1; i < lines.size(); ++i)
            rows.push_back(Split(lines[i] + "\t", '\t'));
        return rows;
    }
};

TEST_F(RealTablesTest, WalksAgreeWithSnmpwalkInEveryVersion)
{
    for (const CTable& table : kTables) {
        SCOPED_TRACE(table.what);
        for (const std::vector<std::string>& version : kVersions) {
            SCOPED_TRACE(version[1]);
            const auto rows = Fetch(table, version);
            ASSERT_FALSE(rows.empty());
            for (size_t c = 0; c < table.columns.size(); ++c) {
                if (std::string(table.columns[c].variable).find(":notaccess") != std::string::npos)
                    continue;
                const std::vector<std::string> expected = Snmpwalk(table.columns[c].variable, table.columns[c].hex);
                ASSERT_EQ(expected.size(), rows.size()) << table.columns[c].variable;
                for (size_t r = 0; r < rows.size(); ++r)
                    EXPECT_EQ(expected[r], rows[r][c]) << table.columns[c].variable << " row " << r;
            }
        }
    }
}

// Index columns the agent does not let read come from the row instance.
TEST_F(RealTablesTest, KeysThatCannotBeReadAreDecodedFromTheRow)
{
    std::set<std::pair<std::string, std::string>> keys;
    for (const auto& row : Fetch(kTables[2], kVersions[1]))
        keys.emplace(row[0], row[1]);
    for (const char* user : {"noAuthUser", "authUser", "privUser", "strongUser"})
        EXPECT_EQ(1u, keys.count({"3", user})) << user;
}

}  // namespace
