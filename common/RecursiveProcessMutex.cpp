// A lock within the process that its holder may take again.
#include "common/RecursiveProcessMutex.h"

#include "common/os/CriticalSection.h"

namespace Common {
namespace Synchronization {

RecursiveProcessMutex::RecursiveProcessMutex() : m_section(Os::createCriticalSection()), m_lockCount(0) {}

RecursiveProcessMutex::~RecursiveProcessMutex() { Os::deleteCriticalSection(m_section); }

void RecursiveProcessMutex::lock() {
    Os::enterCriticalSection(m_section);
    ++m_lockCount;
    // A nested lock: the section is already held once for this holder.
    if (m_lockCount > 1)
        Os::leaveCriticalSection(m_section);
}

void RecursiveProcessMutex::unlock() {
    if (--m_lockCount == 0)
        Os::leaveCriticalSection(m_section);
}

} // namespace Synchronization
} // namespace Common
