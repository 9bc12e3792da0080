#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
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
        const std::string folder = MakeFolder(prefix);
        if (folder.empty())
            return;
        std::error_code ignored;
        std::filesystem::create_directory(folder + "/cert_indexes", ignored);
        path = folder;
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
#ifdef _WIN32
    // In the user's temporary folder, under a name no other folder has.
    static std::string MakeFolder(const std::string& prefix)
    {
        std::error_code error;
        const std::filesystem::path parent = std::filesystem::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; !error && attempt < 100; ++attempt) {
            const std::filesystem::path folder = parent / (prefix + "-" + std::to_string(random()));
            if (std::filesystem::create_directory(folder, error))
                return folder.string();
        }
        return std::string();
    }
#else
    static std::string MakeFolder(const std::string& prefix)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
        return mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
    }
#endif

    std::string path;
};
