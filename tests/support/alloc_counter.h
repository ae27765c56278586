#pragma once
// Counts heap allocations made by the calling thread between start and stop, including
// those made inside the dlopen'ed plug-in (its own static C++ runtime still ends in malloc).
// Not available under the Address and Thread sanitizers, which own malloc themselves: tests
// skip then.

namespace kestro::test {

bool allocationCountingAvailable();
void startCountingAllocations();
long stopCountingAllocations();

// RAII form: counts for the lifetime of the object.
class AllocationCounter {
public:
    AllocationCounter() { startCountingAllocations(); }
    ~AllocationCounter() { if (running_) stopCountingAllocations(); }
    long stop() { running_ = false; return stopCountingAllocations(); }
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
private:
    bool running_ = true;
};

} // namespace kestro::test

#define KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING()                                   \
    do {                                                                            \
        if (!::kestro::test::allocationCountingAvailable())                         \
            GTEST_SKIP() << "allocation counting is not available in this build";   \
    } while (0)
