#pragma once

#include <string>

// An exclusive lock (flock) on a lock file, held for the object's life, so
// that processes that read, change and write a file beside it take turns. A
// lock file that cannot be opened, or is held by another for more than a few
// seconds, gives no lock: Held() says so.
class CFileLock {
public:
    explicit CFileLock(const std::string& path);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    bool Held() const { return fd >= 0; }

private:
    int fd = -1;
};
