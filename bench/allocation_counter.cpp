// Replaces the global allocation functions and malloc/calloc/realloc of the benchmark program so
// that a measured loop can prove it allocates nothing. Counting is a relaxed atomic flag; the
// allocations themselves go to glibc's own allocator. On Windows the C run-time's malloc lives
// in its own DLL and cannot be replaced: there the global operator new is counted, and malloc,
// calloc and realloc are not.
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#ifndef _WIN32
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void __libc_free(void*);
#endif

namespace {
std::atomic<bool> counting(false);
std::atomic<std::size_t> allocations(0);

#ifdef _WIN32
inline void* RawMalloc(std::size_t n) { return std::malloc(n); }
inline void RawFree(void* p) { std::free(p); }
#else
inline void* RawMalloc(std::size_t n) { return __libc_malloc(n); }
inline void RawFree(void* p) { __libc_free(p); }
#endif

inline void Count()
{
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace bench {
void StartCountingAllocations()
{
    allocations.store(0);
    counting.store(true);
}
std::size_t StopCountingAllocations()
{
    counting.store(false);
    return allocations.load();
}
} // namespace bench

#ifndef _WIN32
extern "C" void* malloc(std::size_t n)
{
    Count();
    return __libc_malloc(n);
}
extern "C" void* calloc(std::size_t n, std::size_t size)
{
    Count();
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t n)
{
    Count();
    return __libc_realloc(p, n);
}
extern "C" void free(void* p) { __libc_free(p); }
#endif

void* operator new(std::size_t n)
{
    Count();
    if (void* p = RawMalloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    Count();
    return RawMalloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept
{
    Count();
    return RawMalloc(n ? n : 1);
}
void operator delete(void* p) noexcept { RawFree(p); }
void operator delete[](void* p) noexcept { RawFree(p); }
void operator delete(void* p, std::size_t) noexcept { RawFree(p); }
void operator delete[](void* p, std::size_t) noexcept { RawFree(p); }
