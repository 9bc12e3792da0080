#include "platform/FileLock.h"

#include <chrono>

#include "platform/AfxTypes.h"

namespace {

// A holder keeps the lock for milliseconds. One that never lets go (a
// stopped process) must not hold the caller for ever: after this long it
// goes on without the lock.
const auto kLongestWait = std::chrono::seconds(5);
const DWORD kPauseMilliseconds = 2;

bool TryLock(HANDLE file)
{
    OVERLAPPED whole{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole) != 0;
}

}  // namespace

CFileLock::CFileLock(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    while (!TryLock(file)) {
        if (GetLastError() != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
            CloseHandle(file);
            return;
        }
        Sleep(kPauseMilliseconds);
    }
    handle = reinterpret_cast<std::intptr_t>(file);
}

CFileLock::~CFileLock()
{
    // Closing alone would release the lock only when the system gets to it.
    if (!Held())
        return;
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    OVERLAPPED whole{};
    UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
}
