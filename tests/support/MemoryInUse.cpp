#include "tests/support/MemoryInUse.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator statistics; GCC ships no header for them.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace krwtest {

size_t MemoryInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace krwtest
