#include "tools/cli/CliOutput.h"

#include <cerrno>
#include <cstring>

namespace {

int g_firstWriteError = 0;

}  // namespace

bool FlushOutput(FILE* out)
{
    errno = 0;
    const bool flushed = std::fflush(out) == 0;
    if (!flushed && g_firstWriteError == 0)
        g_firstWriteError = errno;
    return flushed && std::ferror(out) == 0;
}

bool CloseOutput(FILE* out, const char* program)
{
    const bool flushed = FlushOutput(out);
    int reason = g_firstWriteError;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    if (flushed && closed)
        return true;
    if (reason == 0)
        reason = errno;
    std::fprintf(stderr, "%s: cannot write the output: %s\n", program,
                 reason != 0 ? std::strerror(reason) : "a write failed");
    return false;
}
