#include "snmplib/BootCounterFiles.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

// The file's permissions on Windows are those of its folder, which a new
// file beside the old one inherits: modeOf has nothing to add.
FILE* CreateNewFile(const std::string& path, FILE* /*modeOf*/, bool* exists)
{
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | _O_BINARY, _S_IREAD | _S_IWRITE);
    *exists = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return nullptr;
    FILE* out = _fdopen(fd, "wb");
    if (out == nullptr) {
        _close(fd);
        _unlink(path.c_str());
    }
    return out;
}

bool FlushToDisk(FILE* file)
{
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

// rename() of the Windows runtime refuses a target that exists.
bool MoveOver(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned long CurrentProcessId()
{
    return GetCurrentProcessId();
}

int CompareNoCase(const char* a, const char* b, size_t count)
{
    return _strnicmp(a, b, count);
}
