#pragma once
// Watches the calling thread for calls that can block an audio thread: locks, waits, sleeps,
// file and console I/O and raw system calls, including those made inside the dlopen'ed
// plug-in (the test programs export these functions, so the plug-in binds to them the way it
// binds to the counting malloc of alloc_counter.h). Not available under the sanitizers,
// which own these functions themselves: tests skip then.

namespace kestro::test {

bool blockingCallWatchAvailable();
void startWatchingBlockingCalls();
struct BlockingCalls {
    long count = 0;
    const char* first = nullptr; // the name of the first function called, for the message
};
BlockingCalls stopWatchingBlockingCalls();

} // namespace kestro::test

#define KESTRO_SKIP_WITHOUT_BLOCKING_CALL_WATCH()                                        \
    do {                                                                                 \
        if (!::kestro::test::blockingCallWatchAvailable())                               \
            GTEST_SKIP() << "watching for blocking calls is not available in this build"; \
    } while (0)
