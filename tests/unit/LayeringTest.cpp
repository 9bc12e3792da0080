#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

// Dependencies point one way: plugin -> snmpfw -> common -> (snmplib,
// platform). Net-SNMP is behind snmplib/netsnmp/. A test of a layer uses
// nothing of the layers above it, through the test helpers neither. The
// programs share the hosts' library and the command-line helpers, never
// each other's folders.
namespace {

namespace fs = std::filesystem;

const fs::path kTop(KRW_SOURCE_DIR);
const char kNetSnmp[] = "net-snmp";
const char kTests[] = "tests";

// What each layer may include besides itself.
const std::map<std::string, std::set<std::string>> kBelow = {
    {"platform", {}},
    {"snmplib", {}},
    {"common", {"platform", "snmplib"}},
    {"snmpfw", {"common", "platform", "snmplib"}},
    {"plugin", {"snmpfw", "common", "platform", "snmplib"}},
};

// What each program's folder, the hosts' library and the command-line
// helpers may include besides themselves and the plug-in's public header
// (headers outside the tree aside).
const char kPublicHeader[] = "plugin/KRW6180Plug.h";
const std::map<std::string, std::set<std::string>> kProgramUses = {
    {"tools/cli", {}},
    {"hostlib", {"tools/cli", "platform"}},
    {"host", {"hostlib", "tools/cli", "platform"}},
    {"exporter", {"hostlib", "tools/cli", "platform"}},
    {"apsim", {"hostlib", "tools/cli", "platform", "snmplib"}},
    {"tools/fetch", {"hostlib", "tools/cli", "platform", "snmpfw", "common", "snmplib"}},
};

// The layer a test belongs to, by the start of its name; the rest test the framework.
const std::vector<std::pair<std::string, std::string>> kTestPrefixes = {
    {"Platform", "platform"}, {"Snmplib", "snmplib"},   {"Common", "common"},   {"ClientVarSet", "plugin"},
    {"Plugin", "plugin"},     {"Layering", "platform"}, {"Exporter", "plugin"}, {"Host", "plugin"},
};

std::vector<std::string> IncludesOf(const fs::path& file)
{
    static const std::regex include(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])");
    std::vector<std::string> found;
    std::ifstream in(file);
    std::string line;
    std::smatch match;
    while (std::getline(in, line))
        if (std::regex_search(line, match, include))
            found.push_back(match[1]);
    return found;
}

std::string LayerOf(const std::string& include)
{
    const std::string first = include.substr(0, include.find('/'));
    if (first == kNetSnmp || kBelow.count(first) || first == kTests)
        return first;
    return std::string();
}

// Every include reached from file through the tree's own headers, and
// through the sources of the test helpers whose headers it reaches.
std::set<std::string> Reached(const fs::path& file)
{
    std::set<std::string> reached;
    std::vector<fs::path> pending{file};
    std::set<fs::path> seen{file};
    while (!pending.empty()) {
        const fs::path next = pending.back();
        pending.pop_back();
        for (const std::string& include : IncludesOf(next)) {
            reached.insert(include);
            std::vector<fs::path> follow{kTop / include};
            if (include.rfind("tests/support/", 0) == 0)
                follow.push_back((kTop / include).replace_extension(".cpp"));
            for (const fs::path& path : follow)
                if (LayerOf(include) != kNetSnmp && fs::exists(path) && seen.insert(path).second)
                    pending.push_back(path);
        }
    }
    return reached;
}

// The program folder or layer an include of the tree belongs to: the first
// folder of its path, or the first two under tools/.
std::string FolderOf(const std::string& include)
{
    const size_t slash = include.find('/');
    if (include.rfind("tools/", 0) == 0)
        return include.substr(0, include.find('/', slash + 1));
    return include.substr(0, slash);
}

std::vector<fs::path> SourcesUnder(const std::string& folder)
{
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(kTop / folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".cpp" || extension == ".h")
            sources.push_back(entry.path());
    }
    return sources;
}

std::string TestLayer(const fs::path& test)
{
    const std::string name = test.filename().string();
    for (const auto& prefix : kTestPrefixes)
        if (name.rfind(prefix.first, 0) == 0)
            return prefix.second;
    return "snmpfw";
}

bool MayInclude(const std::string& layer, const std::string& included)
{
    return included.empty() || included == layer || kBelow.at(layer).count(included) != 0;
}

std::string Relative(const fs::path& file)
{
    return fs::relative(file, kTop).string();
}

TEST(Layering, EachLayerIncludesOnlyTheLayersBelowIt)
{
    std::vector<std::string> wrong;
    for (const auto& layer : kBelow)
        for (const fs::path& file : SourcesUnder(layer.first))
            for (const std::string& include : IncludesOf(file)) {
                const std::string included = LayerOf(include);
                const bool netSnmp = included == kNetSnmp;
                const bool adapter = Relative(file).rfind("snmplib/netsnmp/", 0) == 0;
                if ((netSnmp && !adapter) || (!netSnmp && !MayInclude(layer.first, included)))
                    wrong.push_back(Relative(file) + " includes " + include);
            }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

// The library's own sources use its adapter; its vocabulary headers, and
// everything above them, stay free of Net-SNMP.
TEST(Layering, OnlyTheAdapterReachesNetSnmp)
{
    std::vector<std::string> wrong;
    for (const char* folder :
         {"platform", "snmplib", "common", "snmpfw", "plugin", "hostlib", "host", "exporter", "tools"})
        for (const fs::path& file : SourcesUnder(folder)) {
            const std::string name = Relative(file);
            if (name.rfind("snmplib/netsnmp/", 0) == 0 ||
                (name.rfind("snmplib/", 0) == 0 && file.extension() == ".cpp"))
                continue;
            for (const std::string& include : Reached(file))
                if (LayerOf(include) == kNetSnmp)
                    wrong.push_back(name + " reaches " + include);
        }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

// A host sees the plug-in through its public header, which holds nothing of
// the framework; the hosts use the platform besides.
TEST(Layering, TheHostsSeeThePluginThroughItsPublicHeaderOnly)
{
    std::vector<std::string> wrong;
    for (const std::string& include : IncludesOf(kTop / kPublicHeader))
        if (!LayerOf(include).empty())
            wrong.push_back(std::string(kPublicHeader) + " includes " + include);
    for (const char* folder : {"hostlib", "host", "exporter"})
        for (const fs::path& file : SourcesUnder(folder))
            for (const std::string& include : IncludesOf(file)) {
                const std::string layer = LayerOf(include);
                if (!layer.empty() && layer != "platform" && include != kPublicHeader)
                    wrong.push_back(Relative(file) + " includes " + include);
            }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

TEST(Layering, ProgramsShareTheHostLibraryAndTheCommandLineHelpersOnly)
{
    std::vector<std::string> wrong;
    for (const auto& program : kProgramUses)
        for (const fs::path& file : SourcesUnder(program.first))
            for (const std::string& include : IncludesOf(file)) {
                const std::string folder = FolderOf(include);
                if (!fs::is_regular_file(kTop / include) || folder == program.first || include == kPublicHeader ||
                    program.second.count(folder) != 0)
                    continue;
                wrong.push_back(Relative(file) + " includes " + include);
            }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

TEST(Layering, TestsOfALayerUseNothingOfTheLayersAboveIt)
{
    std::vector<std::string> wrong;
    for (const char* folder : {"tests/unit", "tests/integration"})
        for (const fs::path& test : SourcesUnder(folder)) {
            const std::string layer = TestLayer(test);
            for (const std::string& include : Reached(test)) {
                const std::string included = LayerOf(include);
                const bool allowed = included == kTests || (included == kNetSnmp && layer == "snmplib") ||
                                     (included != kNetSnmp && MayInclude(layer, included));
                if (!allowed)
                    wrong.push_back(Relative(test) + " (" + layer + ") reaches " + include);
            }
        }
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

}  // namespace
