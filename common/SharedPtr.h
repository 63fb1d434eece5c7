// Reference-counted pointer whose count lives in a cell of its own.
#pragma once

#include "common/Types.h"

namespace Common {

// Every pointer, the empty one too, owns a count cell from the moment it is made. The count is not
// atomic: a shared object and its holders belong to one thread at a time.
template <class T> class SharedPtr {
  public:
    SharedPtr() : m_object(nullptr), m_count(new u32(1)) {}

    // Takes ownership; the object is destroyed with delete, so a polymorphic object goes through its
    // virtual destructor and its class's own operator delete.
    explicit SharedPtr(T *object) : m_object(object), m_count(nullptr) {
        try {
            m_count = new u32(1);
        } catch (...) {
            delete object;
            throw;
        }
    }

    SharedPtr(const SharedPtr &other) : m_object(other.m_object), m_count(other.m_count) { ++*m_count; }

    ~SharedPtr() { release(); }

    SharedPtr &operator=(const SharedPtr &other) {
        if (m_count == other.m_count)
            return *this;
        // Take the other's cell before releasing: when this is the last holder of an object that owns
        // `other` (p = p->child), the release destroys `other` itself.
        T *object = other.m_object;
        u32 *count = other.m_count;
        ++*count;
        release();
        m_object = object;
        m_count = count;
        return *this;
    }

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }

  private:
    friend struct SharedPtrProbe;

    void release() {
        if (--*m_count == 0) {
            static_assert(sizeof(T) > 0, "SharedPtr needs a complete type to destroy its object");
            delete m_object;
            delete m_count;
        }
    }

    T *m_object;
    u32 *m_count;
};

} // namespace Common
