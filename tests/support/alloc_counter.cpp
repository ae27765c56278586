#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRO_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTRO_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef KESTRO_COUNT_ALLOCATIONS
#define KESTRO_COUNT_ALLOCATIONS 1
#endif

namespace {
thread_local bool tCounting = false;
std::atomic<long> gCount{0};

inline void noteAllocation()
{
    if (tCounting)
        gCount.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace kestro::test {

bool allocationCountingAvailable() { return KESTRO_COUNT_ALLOCATIONS != 0; }

void startCountingAllocations()
{
    gCount.store(0, std::memory_order_relaxed);
    tCounting = true;
}

long stopCountingAllocations()
{
    tCounting = false;
    return gCount.load(std::memory_order_relaxed);
}

} // namespace kestro::test

#if KESTRO_COUNT_ALLOCATIONS
// glibc's own allocator entry points; ours count and forward. The test programs export
// these (ENABLE_EXPORTS), so the plug-in loaded with dlopen binds to them too.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

__attribute__((visibility("default"))) void* malloc(std::size_t n)
{
    noteAllocation();
    return __libc_malloc(n);
}
__attribute__((visibility("default"))) void* calloc(std::size_t a, std::size_t b)
{
    noteAllocation();
    return __libc_calloc(a, b);
}
__attribute__((visibility("default"))) void* realloc(void* p, std::size_t n)
{
    noteAllocation();
    return __libc_realloc(p, n);
}
__attribute__((visibility("default"))) void* aligned_alloc(std::size_t al, std::size_t n)
{
    noteAllocation();
    return __libc_memalign(al, n);
}
__attribute__((visibility("default"))) void* memalign(std::size_t al, std::size_t n)
{
    noteAllocation();
    return __libc_memalign(al, n);
}
__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t al, std::size_t n)
{
    noteAllocation();
    void* p = __libc_memalign(al, n);
    if (p == nullptr)
        return 12; // ENOMEM
    *out = p;
    return 0;
}
}
#endif
