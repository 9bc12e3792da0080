#include "tests/support/PluginTest.h"

#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <fstream>

namespace krwtest {

void CPluginTest::SetUp()
{
    scratch = MakeScratchFolder("krw-plugin-");
    ASSERT_FALSE(scratch.empty());
    ::setenv("TMPDIR", scratch.c_str(), 1);
    std::string error;
    ASSERT_TRUE(host.Load(&error)) << error;
}

void CPluginTest::TearDown()
{
    host.Unload();
    ::unsetenv("TMPDIR");
    RemoveScratchFolder(scratch);
}

std::unique_ptr<CApSimAgent> CPluginTest::StartApSim(std::vector<std::string> options)
{
    auto agent = krwtest::StartApSim(std::move(options));
    return agent->Port() != 0 ? std::move(agent) : nullptr;
}

std::string CPluginTest::WriteScratchFile(const std::string& name, const std::string& content)
{
    const std::filesystem::path path = scratch / name;
    std::ofstream(path) << content;
    return path.string();
}

}  // namespace krwtest
