#include "support/alloc_counter.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

TEST(AllocationCounter, SeesHeapAllocationsOfThisThread)
{
    KESTRO_SKIP_WITHOUT_ALLOCATION_COUNTING();
    kestro::test::AllocationCounter counter;
    auto v = std::make_unique<std::vector<int>>(100);
    EXPECT_GE(counter.stop(), 2);
}
