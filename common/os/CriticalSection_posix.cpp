// A recursive lock within the process on POSIX hosts: a recursive mutex, as a critical section is.
#include "common/os/CriticalSection.h"

#include <pthread.h>

namespace Common {
namespace Os {

struct CriticalSection {
    pthread_mutex_t mutex;
};

CriticalSection *createCriticalSection() {
    CriticalSection *s = new CriticalSection;
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&s->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    return s;
}

void enterCriticalSection(CriticalSection *s) { pthread_mutex_lock(&s->mutex); }

void leaveCriticalSection(CriticalSection *s) { pthread_mutex_unlock(&s->mutex); }

void deleteCriticalSection(CriticalSection *s) {
    pthread_mutex_destroy(&s->mutex);
    delete s;
}

} // namespace Os
} // namespace Common
