#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// Net-SNMP wants a folder for its state, and makes a folder cert_indexes in
// it while it starts, even when told to keep no state. A scratch folder for
// that under TMPDIR (or /tmp), made ready beforehand so that the library
// announces nothing, and removed when this object goes: the library needs it
// only while it starts, and gone at once it is left behind by no way of
// ending. The adapter, krw6180-apsim and the tests' agent use it.
class CNetSnmpStateFolder {
public:
    explicit CNetSnmpStateFolder(const std::string& prefix)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
        if (mkdtemp(&pattern[0]) == nullptr)
            return;
        std::error_code ignored;
        std::filesystem::create_directory(pattern + "/cert_indexes", ignored);
        path = pattern;
    }
    ~CNetSnmpStateFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    CNetSnmpStateFolder(const CNetSnmpStateFolder&) = delete;
    CNetSnmpStateFolder& operator=(const CNetSnmpStateFolder&) = delete;

    // Empty when the folder could not be made.
    const std::string& Path() const { return path; }

private:
    std::string path;
};
