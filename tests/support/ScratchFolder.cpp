#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <system_error>

namespace krwtest {

std::filesystem::path MakeScratchFolder(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr)
        return std::filesystem::path();
    return pattern;
}

void RemoveScratchFolder(const std::filesystem::path& folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace krwtest
