// A recursive lock within the process, as the platform gives it.
#pragma once

namespace Common {
namespace Os {

struct CriticalSection;

// Allocated on the heap; the thread that entered it may enter it again.
CriticalSection *createCriticalSection();
void enterCriticalSection(CriticalSection *section);
void leaveCriticalSection(CriticalSection *section);
void deleteCriticalSection(CriticalSection *section);

} // namespace Os
} // namespace Common
