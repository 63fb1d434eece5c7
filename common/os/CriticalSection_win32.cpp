// A recursive lock within the process on Windows: a critical section.
#include "common/os/CriticalSection.h"

#include <windows.h>

namespace Common {
namespace Os {

struct CriticalSection {
    CRITICAL_SECTION section;
};

CriticalSection *createCriticalSection() {
    CriticalSection *s = new CriticalSection;
    InitializeCriticalSection(&s->section);
    return s;
}

void enterCriticalSection(CriticalSection *s) { EnterCriticalSection(&s->section); }

void leaveCriticalSection(CriticalSection *s) { LeaveCriticalSection(&s->section); }

void deleteCriticalSection(CriticalSection *s) {
    DeleteCriticalSection(&s->section);
    delete s;
}

} // namespace Os
} // namespace Common
