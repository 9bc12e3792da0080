#include "snmplib/BootCounterFiles.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

FILE* CreateNewFile(const std::string& path, FILE* modeOf, bool* exists)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    *exists = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (modeOf != nullptr && fstat(fileno(modeOf), &st) == 0)
        fchmod(fd, st.st_mode & 07777);
    FILE* out = fdopen(fd, "w");
    if (out == nullptr) {
        close(fd);
        unlink(path.c_str());
    }
    return out;
}

bool FlushToDisk(FILE* file)
{
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool MoveOver(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

unsigned long CurrentProcessId()
{
    return static_cast<unsigned long>(getpid());
}

int CompareNoCase(const char* a, const char* b, size_t count)
{
    return strncasecmp(a, b, count);
}
