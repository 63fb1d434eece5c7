// A lock within the process that its holder may take again, and the guard that holds it for a scope.
#pragma once

#include "common/NonCopyable.h"
#include "common/Types.h"

namespace Common {
namespace Os {
struct CriticalSection;
}

namespace Synchronization {

// The section is entered once however deeply the holder nests lock calls; lockCount tells when the
// last unlock leaves it. Only the holder may unlock.
class RecursiveProcessMutex : private NonCopyable {
  public:
    RecursiveProcessMutex();
    ~RecursiveProcessMutex() override;

    void lock();
    void unlock();

  private:
    Os::CriticalSection *m_section;
    u64 m_lockCount;
};

// Unlocks when the scope ends, also when an exception leaves it.
template <class Mutex> class ScopedMutexLock : private NonCopyable {
  public:
    explicit ScopedMutexLock(Mutex &mutex) : m_mutex(&mutex) { m_mutex->lock(); }
    ~ScopedMutexLock() override { m_mutex->unlock(); }

  private:
    Mutex *m_mutex;
};

} // namespace Synchronization
} // namespace Common
