#pragma once

#include <sys/resource.h>

// Raises the process's soft limit of open descriptors to its hard limit.
// Programs that talk to a thousand agents (or answer on a thousand
// addresses) need more than the usual 1024; only a process that uses no
// plain fd_set may do so.
inline void RaiseDescriptorLimit()
{
    rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}
