#include "platform/posix/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CFileLock::CFileLock(const std::string& path)
{
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    int locked = -1;
    do
        locked = flock(fd, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        close(fd);
        fd = -1;
    }
}

CFileLock::~CFileLock()
{
    // Closing the last descriptor of the open file releases the lock.
    if (fd >= 0)
        close(fd);
}
