#pragma once

#include <cstdint>
#include <string>

// An exclusive lock on a lock file (flock, or LockFileEx on Windows), held for the object's life, so
// that processes that read, change and write a file beside it take turns. A
// lock file that cannot be opened, or is held by another for more than a few
// seconds, gives no lock: Held() says so.
class CFileLock {
public:
    explicit CFileLock(const std::string& path);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    bool Held() const { return handle != kNone; }

private:
    // The open lock file: a descriptor, or a Windows handle.
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle = kNone;
};
