#pragma once

#include <filesystem>
#include <string>

namespace krwtest {

// A new, empty folder /tmp/<prefix>XXXXXX for the files of one test; empty
// when it could not be made.
std::filesystem::path MakeScratchFolder(const std::string& prefix);

// Removes the folder with everything in it. A cleanup that fails leaves
// only litter in /tmp, so it is not reported.
void RemoveScratchFolder(const std::filesystem::path& folder);

}  // namespace krwtest
