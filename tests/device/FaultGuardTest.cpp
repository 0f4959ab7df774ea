#include "device/FaultGuard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

int* volatile g_pNull = nullptr;
volatile int g_nZero = 0;

int WriteNull()
{
    *g_pNull = 7;
    return 1;
}
int DivideByZero() { return 100 / g_nZero; }
int Throw() { throw std::runtime_error("inside the library"); }

TEST(FaultGuard, CleanCallPassesItsResult)
{
    EXPECT_EQ(Guarded([] { return 42; }), 42);
    EXPECT_EQ(Guarded([] { return -7; }), -7);
    EXPECT_EQ(CallGuarded(nullptr, nullptr), -1);
}

TEST(FaultGuard, ProcessorFaultsAndExceptionsBecomeMinusOne)
{
    unsigned long nBefore = GuardCatchCount();
    EXPECT_EQ(Guarded([] { return WriteNull(); }), -1);
    EXPECT_EQ(LastGuardFaultCode(), static_cast<unsigned long>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(Guarded([] { return DivideByZero(); }), -1);
    EXPECT_EQ(LastGuardFaultCode(), static_cast<unsigned long>(EXCEPTION_INT_DIVIDE_BY_ZERO));
    EXPECT_EQ(Guarded([] { return Throw(); }), -1);
    EXPECT_EQ(GuardCatchCount(), nBefore + 3);
}

// Locals of the caller written before and inside the guarded call keep their values after a
// fault: resuming restores the guard's registers, not the caller's memory.
TEST(FaultGuard, CallerStateSurvivesAFault)
{
    int nSteps = 0;
    std::vector<int> trail = {1};
    int r = Guarded([&] {
        nSteps = 1;
        trail.push_back(2);
        WriteNull();
        nSteps = 2;
        return 0;
    });
    EXPECT_EQ(r, -1);
    EXPECT_EQ(nSteps, 1);
    EXPECT_EQ(trail, (std::vector<int>{1, 2}));
}

TEST(FaultGuard, NestedGuardsCatchAtTheInnermost)
{
    int nInner = 0;
    int nOuter = Guarded([&] {
        nInner = Guarded([] { return WriteNull(); });
        return 5;
    });
    EXPECT_EQ(nInner, -1);
    EXPECT_EQ(nOuter, 5);
    EXPECT_EQ(Guarded([] { return Guarded([] { return Throw(); }) + 10; }), 9);
}

TEST(FaultGuard, ExceptionsOutsideGuardsStillWork)
{
    Guarded([] { return WriteNull(); });
    bool bCaught = false;
    try {
        throw std::logic_error("ordinary");
    } catch (const std::logic_error&) {
        bCaught = true;
    }
    EXPECT_TRUE(bCaught);
}

TEST(FaultGuard, ManyMixedCallsOnSeveralThreads)
{
    std::atomic<int> nWrong{0};
    auto work = [&](int nSeed) {
        for (int i = 0; i < 1000; ++i) {
            int nKind = (i + nSeed) % 4;
            int r = nKind == 0 ? Guarded([] { return WriteNull(); })
                  : nKind == 1 ? Guarded([] { return DivideByZero(); })
                  : nKind == 2 ? Guarded([] { return Throw(); })
                               : Guarded([i] { return i; });
            if (r != (nKind == 3 ? i : -1))
                ++nWrong;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back(work, t);
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(nWrong.load(), 0);
}

}  // namespace
