#pragma once

#include "tests/support/ApSimAgent.h"
#include "tests/support/PluginHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace krwtest {

// A test with the plug-in loaded by a test host, its engine-boots counter in
// a scratch folder of its own (TMPDIR), and simulated access points started
// on demand.
class CPluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fails the test (and returns null) when the access point does not start.
    std::unique_ptr<CApSimAgent> StartApSim(std::vector<std::string> options);
    // A file of the scratch folder with this content.
    std::string WriteScratchFile(const std::string& name, const std::string& content);

    std::filesystem::path scratch;
    CPluginHost host;
};

}  // namespace krwtest
