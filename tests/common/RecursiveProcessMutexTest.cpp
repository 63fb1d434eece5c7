// Tests of the recursive mutex and its scoped guard across two threads.
#include "common/RecursiveProcessMutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using Common::Synchronization::RecursiveProcessMutex;
using Common::Synchronization::ScopedMutexLock;

// Starts a thread that takes and releases the mutex; the future is ready once it got it.
std::future<void> lockElsewhere(RecursiveProcessMutex &mutex) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> got = done->get_future();
    std::thread([&mutex, done] {
        mutex.lock();
        mutex.unlock();
        done->set_value();
    }).detach();
    return got;
}

const std::chrono::milliseconds shortWait(200);
const std::chrono::seconds longWait(10);

TEST(RecursiveProcessMutexTest, OtherThreadWaitsForTheHoldersLastUnlock) {
    RecursiveProcessMutex mutex;
    mutex.lock();
    mutex.lock();
    mutex.unlock();
    std::future<void> other = lockElsewhere(mutex);
    EXPECT_EQ(other.wait_for(shortWait), std::future_status::timeout)
        << "still held after lock, lock, unlock";
    mutex.unlock();
    EXPECT_EQ(other.wait_for(longWait), std::future_status::ready);
}

TEST(RecursiveProcessMutexTest, ScopedLockReleasesWhenAnExceptionLeaves) {
    RecursiveProcessMutex mutex;
    try {
        ScopedMutexLock<RecursiveProcessMutex> outer(mutex);
        ScopedMutexLock<RecursiveProcessMutex> inner(mutex);
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(lockElsewhere(mutex).wait_for(longWait), std::future_status::ready);
}

} // namespace
