#pragma once

#include <cstddef>

namespace krwtest {

// Bytes the process holds from the allocator right now (the sanitizer's
// allocator when it runs under one).
size_t MemoryInUse();

}  // namespace krwtest
