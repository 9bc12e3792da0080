#pragma once
// Diagnostic macros of MFC. ASSERT follows the C library's assert (off under NDEBUG);
// VERIFY always evaluates its expression; TRACE writes nothing.

#include <cassert>

#ifndef ASSERT
#define ASSERT(f) assert(f)
#endif
#ifndef VERIFY
#ifdef NDEBUG
#define VERIFY(f) ((void)(f))
#else
#define VERIFY(f) assert(f)
#endif
#endif
#ifndef ASSERT_VALID
#define ASSERT_VALID(p) ((void)(p))
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif
