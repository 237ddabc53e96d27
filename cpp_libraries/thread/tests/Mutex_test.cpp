#include "Mutex.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// The read-yield-write loses increments as soon as two threads interleave,
// so every increment counts only if the mutex really excludes the others.
// Locking and unlocking mix the const and plain forms, which must act on
// the same mutex; the scoped lock guards a second increment.
TEST(Mutex, LockAndUnlockProtectACounter)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    Mutex mutex;
    const Mutex& shared = mutex;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                if (i % 2)
                    shared.Lock();
                else
                    mutex.Lock();
                long seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
                if (i % 3)
                    shared.Unlock();
                else
                    mutex.Unlock();
                MutexLock scoped(mutex);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 2L * kThreads * kRounds);
}

}
