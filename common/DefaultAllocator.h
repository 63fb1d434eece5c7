// Stateless heap allocator for the nodes of Common::list and Common::map.
#pragma once

#include <cstddef>
#include <new>

namespace Common {

class DefaultAllocator {
  public:
    // Throws std::bad_alloc on failure, like every general-heap allocation in the library.
    void *allocate(std::size_t n) { return ::operator new(n); }
    void deallocate(void *p) { ::operator delete(p); }
};

} // namespace Common
