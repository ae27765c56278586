#include "blocking_calls.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRO_WATCH_BLOCKING_CALLS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTRO_WATCH_BLOCKING_CALLS 0
#endif
#endif
#ifndef KESTRO_WATCH_BLOCKING_CALLS
#define KESTRO_WATCH_BLOCKING_CALLS 1
#endif

namespace {
thread_local bool tWatching = false;
std::atomic<long> gCount{0};
std::atomic<const char*> gFirst{nullptr};

inline void noteCall(const char* name)
{
    if (!tWatching)
        return;
    const char* none = nullptr;
    gFirst.compare_exchange_strong(none, name, std::memory_order_relaxed);
    gCount.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace kestro::test {

bool blockingCallWatchAvailable() { return KESTRO_WATCH_BLOCKING_CALLS != 0; }

void startWatchingBlockingCalls()
{
    gCount.store(0, std::memory_order_relaxed);
    gFirst.store(nullptr, std::memory_order_relaxed);
    tWatching = true;
}

BlockingCalls stopWatchingBlockingCalls()
{
    tWatching = false;
    return {gCount.load(std::memory_order_relaxed), gFirst.load(std::memory_order_relaxed)};
}

} // namespace kestro::test

#if KESTRO_WATCH_BLOCKING_CALLS
#include <cstdarg>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

namespace {

// The next definition of `name` after ours (the C library's). Looked up on first use without
// a guarded static: the guard itself may wait on a futex through syscall().
template <typename Fn>
Fn next(std::atomic<void*>& slot, const char* name)
{
    void* p = slot.load(std::memory_order_relaxed);
    if (p == nullptr) {
        p = ::dlsym(RTLD_NEXT, name);
        slot.store(p, std::memory_order_relaxed);
    }
    return reinterpret_cast<Fn>(p);
}

} // namespace

// The C library declares some of these noexcept (`nx`), the others not; ours must match.
#define KESTRO_FORWARD_NX(ret, name, params, args, nx)                            \
    extern "C" __attribute__((visibility("default"))) ret name params nx          \
    {                                                                             \
        noteCall(#name);                                                          \
        static std::atomic<void*> slot{nullptr};                                  \
        return next<ret(*) params>(slot, #name) args;                             \
    }
#define KESTRO_FORWARD(ret, name, params, args) KESTRO_FORWARD_NX(ret, name, params, args, )
#define KESTRO_FORWARD_NOEXCEPT(ret, name, params, args) KESTRO_FORWARD_NX(ret, name, params, args, noexcept)

extern "C" {
// Locks and waits.
KESTRO_FORWARD_NOEXCEPT(int, pthread_mutex_lock, (pthread_mutex_t * m), (m))
KESTRO_FORWARD_NOEXCEPT(int, pthread_mutex_trylock, (pthread_mutex_t * m), (m))
KESTRO_FORWARD_NOEXCEPT(int, pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t))
KESTRO_FORWARD_NOEXCEPT(int, pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
KESTRO_FORWARD_NOEXCEPT(int, pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
KESTRO_FORWARD_NOEXCEPT(int, pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l))
KESTRO_FORWARD_NOEXCEPT(int, pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l))
KESTRO_FORWARD_NOEXCEPT(int, pthread_spin_lock, (pthread_spinlock_t * l), (l))
KESTRO_FORWARD(int, pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
KESTRO_FORWARD(int, pthread_cond_timedwait, (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t),
               (c, m, t))
KESTRO_FORWARD(int, pthread_once, (pthread_once_t * o, void (*f)()), (o, f))
KESTRO_FORWARD(int, pthread_join, (pthread_t t, void** r), (t, r))
KESTRO_FORWARD(int, sem_wait, (sem_t * s), (s))
KESTRO_FORWARD(int, sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))
// Sleeping and yielding.
KESTRO_FORWARD(int, nanosleep, (const struct timespec* a, struct timespec* b), (a, b))
KESTRO_FORWARD(int, clock_nanosleep, (clockid_t c, int f, const struct timespec* a, struct timespec* b),
               (c, f, a, b))
KESTRO_FORWARD(int, usleep, (useconds_t u), (u))
KESTRO_FORWARD(unsigned, sleep, (unsigned s), (s))
KESTRO_FORWARD_NOEXCEPT(int, sched_yield, (), ())
// Files, console and devices.
KESTRO_FORWARD(ssize_t, read, (int fd, void* b, size_t n), (fd, b, n))
KESTRO_FORWARD(ssize_t, write, (int fd, const void* b, size_t n), (fd, b, n))
KESTRO_FORWARD(int, close, (int fd), (fd))
KESTRO_FORWARD(int, poll, (struct pollfd * f, nfds_t n, int t), (f, n, t))
KESTRO_FORWARD(int, select, (int n, fd_set* r, fd_set* w, fd_set* e, struct timeval* t), (n, r, w, e, t))
KESTRO_FORWARD(FILE*, fopen, (const char* p, const char* m), (p, m))
KESTRO_FORWARD(FILE*, fopen64, (const char* p, const char* m), (p, m))
KESTRO_FORWARD(size_t, fwrite, (const void* b, size_t s, size_t n, FILE* f), (b, s, n, f))
KESTRO_FORWARD(size_t, fread, (void* b, size_t s, size_t n, FILE* f), (b, s, n, f))
KESTRO_FORWARD(int, fputs, (const char* s, FILE* f), (s, f))
KESTRO_FORWARD(int, puts, (const char* s), (s))
KESTRO_FORWARD(int, fflush, (FILE * f), (f))
KESTRO_FORWARD(int, vfprintf, (FILE * f, const char* format, va_list a), (f, format, a))
KESTRO_FORWARD(int, vprintf, (const char* format, va_list a), (format, a))

__attribute__((visibility("default"))) int fprintf(FILE* f, const char* format, ...)
{
    noteCall("fprintf");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(FILE*, const char*, va_list)>(slot, "vfprintf");
    va_list a;
    va_start(a, format);
    const int r = real(f, format, a);
    va_end(a);
    return r;
}

__attribute__((visibility("default"))) int printf(const char* format, ...)
{
    noteCall("printf");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(const char*, va_list)>(slot, "vprintf");
    va_list a;
    va_start(a, format);
    const int r = real(format, a);
    va_end(a);
    return r;
}

__attribute__((visibility("default"))) int open(const char* path, int flags, ...)
{
    noteCall("open");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(const char*, int, ...)>(slot, "open");
    va_list a;
    va_start(a, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(a, unsigned)) : 0;
    va_end(a);
    return real(path, flags, mode);
}

__attribute__((visibility("default"))) int openat(int dir, const char* path, int flags, ...)
{
    noteCall("openat");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(int, const char*, int, ...)>(slot, "openat");
    va_list a;
    va_start(a, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(a, unsigned)) : 0;
    va_end(a);
    return real(dir, path, flags, mode);
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) noexcept
{
    noteCall("ioctl");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<int (*)(int, unsigned long, ...)>(slot, "ioctl");
    va_list a;
    va_start(a, request);
    void* argument = va_arg(a, void*);
    va_end(a);
    return real(fd, request, argument);
}

// Futex waits and anything else issued by number.
__attribute__((visibility("default"))) long syscall(long number, ...) noexcept
{
    noteCall("syscall");
    static std::atomic<void*> slot{nullptr};
    const auto real = next<long (*)(long, ...)>(slot, "syscall");
    va_list a;
    va_start(a, number);
    long args[6];
    for (long& x : args)
        x = va_arg(a, long);
    va_end(a);
    return real(number, args[0], args[1], args[2], args[3], args[4], args[5]);
}
}
#endif
