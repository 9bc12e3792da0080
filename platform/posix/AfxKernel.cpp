#include "platform/AfxKernel.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

namespace {

// The user's own folder under /tmp, made on first use: /tmp is every user's,
// where the temporary path of Windows is the user's alone. Empty when it
// cannot be made, or another user has it, or others may write in it.
std::string UserTempFolder()
{
    const uid_t user = geteuid();
    const std::string folder = "/tmp/krw-" + std::to_string(user);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::string();
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != user ||
        (status.st_mode & 077) != 0)
        return std::string();
    return folder;
}

}  // namespace

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    const char* env = std::getenv("TMPDIR");
    std::string dir = env != nullptr && *env != '\0' ? env : UserTempFolder();
    if (dir.empty())
        return 0;
    if (dir.back() != '/')
        dir += '/';
    const DWORD length = static_cast<DWORD>(dir.size());
    if (lpBuffer == nullptr || nBufferLength <= length)
        return length + 1;
    std::memcpy(lpBuffer, dir.c_str(), dir.size() + 1);
    return length;
}

DWORD GetTickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == INFINITE) {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
