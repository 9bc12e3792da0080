#include "platform/FileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// A holder keeps the lock for milliseconds. One that never lets go (a
// stopped process, or another user's lock file in a shared folder) must not
// hold the caller for ever: after this long it goes on without the lock.
const auto kLongestWait = std::chrono::seconds(5);
const auto kPause = std::chrono::milliseconds(2);

}  // namespace

CFileLock::CFileLock(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK || errno == EINTR;
        if (!busy || std::chrono::steady_clock::now() >= deadline) {
            close(fd);
            return;
        }
        std::this_thread::sleep_for(kPause);
    }
    handle = fd;
}

CFileLock::~CFileLock()
{
    // Closing the last descriptor of the open file releases the lock.
    if (Held())
        close(static_cast<int>(handle));
}
