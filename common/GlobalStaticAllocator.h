// The fixed pool that stream objects come from, and the base class that sends them there.
#pragma once

#include "common/Types.h"

#include <cstddef>
#include <cstdint>

namespace Common {

// Ten arenas of 65,535 bytes, each with a free list in address order whose neighbours are merged.
// A free chunk starts with its size and the offset to the next free chunk (0 for the last), both
// 16-bit; a used block starts with a 16-bit header, its length - 2. Blocks are aligned to one byte
// only. No lock: the pool belongs to one thread at a time.
class StreamPool {
  public:
    static constexpr u32 arenaCount = 10;
    static constexpr u32 arenaSize = 0xFFFF;
    // Fewer tries than arenas: a request may fail while some arenas are still empty.
    static constexpr u32 triesPerRequest = 5;
    // An arena whose count has reached this is never picked.
    static constexpr u32 countLimit = 0xFFFF;

    // The memory is taken on first use, not here.
    StreamPool();
    ~StreamPool();
    StreamPool(const StreamPool &) = delete;
    StreamPool &operator=(const StreamPool &) = delete;

    // Null when no tried arena has room, and for more than 65,533 bytes.
    void *allocate(u64 size);
    // Does nothing for a pointer that lies in no arena.
    void release(void *p);

    // What tests look at.
    const u8 *arenaStart(u32 arena);
    const u8 *freeHead(u32 arena);
    std::uint16_t freeChunkCount(u32 arena);

    // The one pool of the process: made on first use, never released.
    static StreamPool &global();

  private:
    struct Arena {
        u8 *freeHead;
        std::uint16_t freeChunkCount;
    };

    void create();
    int pickArena(const bool tried[]) const;

    u8 m_initialised;
    u8 *m_poolStart;
    Arena m_arenas[arenaCount];
};

// Base of every stream class: their objects come from StreamPool::global(). The allocation is
// declared noexcept, so a new-expression that gets null yields null and constructs nothing.
class GlobalStaticAllocator {
  public:
    static void *operator new(std::size_t size) noexcept;
    static void operator delete(void *p) noexcept;
};

} // namespace Common
