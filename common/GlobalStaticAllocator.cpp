// The fixed pool that stream objects come from, and the base class that sends them there.
#include "common/GlobalStaticAllocator.h"

#include <cstring>

namespace Common {

namespace {

typedef std::uint16_t u16;

// Headers sit on odd addresses as often as not, so they are read and written byte-wise.
u16 get16(const u8 *at) {
    u16 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

void put16(u8 *at, u64 v) {
    u16 w = static_cast<u16>(v);
    std::memcpy(at, &w, sizeof w);
}

// A free chunk: size at +0, offset to the next free chunk at +2.
u16 chunkSize(const u8 *c) { return get16(c); }
u16 nextOffset(const u8 *c) { return get16(c + 2); }
u8 *nextChunk(u8 *c) { return nextOffset(c) ? c + nextOffset(c) : nullptr; }

const u64 headerSize = 2;
const u64 smallestBlock = 4;

} // namespace

StreamPool::StreamPool() : m_initialised(0), m_poolStart(nullptr), m_arenas() {}

StreamPool::~StreamPool() { delete[] m_poolStart; }

void StreamPool::create() {
    if (m_initialised)
        return;
    // Out of memory here is the general heap's failure and is not turned into null.
    m_poolStart = new u8[u64(arenaCount) * arenaSize];
    for (u32 i = 0; i < arenaCount; ++i) {
        u8 *start = m_poolStart + u64(i) * arenaSize;
        std::memset(start, 0, arenaSize);
        put16(start, arenaSize);
        put16(start + 2, 0);
        m_arenas[i].freeHead = start;
        m_arenas[i].freeChunkCount = 1;
    }
    m_initialised = 1;
}

int StreamPool::pickArena(const bool tried[]) const {
    int best = -1;
    for (u32 i = 0; i < arenaCount; ++i) {
        if (tried[i] || m_arenas[i].freeChunkCount >= countLimit)
            continue;
        if (best < 0 || m_arenas[i].freeChunkCount < m_arenas[best].freeChunkCount)
            best = static_cast<int>(i);
    }
    return best;
}

void *StreamPool::allocate(u64 size) {
    create();
    if (size > arenaSize - headerSize)
        return nullptr;
    u64 need = size + headerSize < smallestBlock ? smallestBlock : size + headerSize;

    bool tried[arenaCount] = {};
    Arena *arena = nullptr;
    u8 *chunk = nullptr;
    u8 *before = nullptr;
    for (u32 t = 0; t < triesPerRequest && !chunk; ++t) {
        int pick = pickArena(tried);
        if (pick < 0)
            break;
        tried[pick] = true;
        arena = &m_arenas[pick];
        before = nullptr;
        // A chunk with 1 to 3 bytes to spare is passed over: the rest could not hold a free chunk.
        for (u8 *c = arena->freeHead; c; before = c, c = nextChunk(c)) {
            if (chunkSize(c) == need || chunkSize(c) >= need + smallestBlock) {
                chunk = c;
                break;
            }
        }
    }
    if (!chunk)
        return nullptr;

    u16 size0 = chunkSize(chunk);
    u16 next0 = nextOffset(chunk);
    if (size0 == need) {
        if (before)
            put16(before + 2, next0 ? nextOffset(before) + next0 : 0);
        else
            arena->freeHead = next0 ? chunk + next0 : nullptr;
        --arena->freeChunkCount;
    } else {
        u8 *rest = chunk + need;
        put16(rest, size0 - need);
        put16(rest + 2, next0 ? next0 - need : 0);
        if (before)
            put16(before + 2, nextOffset(before) + need);
        else
            arena->freeHead = rest;
    }
    std::memset(chunk, 0, need);
    put16(chunk, need - headerSize);
    return chunk + headerSize;
}

void StreamPool::release(void *p) {
    create();
    // Compared as numbers: a pointer from elsewhere has no defined order against the pool.
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(m_poolStart);
    std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
    if (at < start + headerSize || at - headerSize >= start + u64(arenaCount) * arenaSize)
        return;
    u8 *chunk = static_cast<u8 *>(p) - headerSize;
    u64 index = u64(chunk - m_poolStart) / arenaSize;
    Arena &arena = m_arenas[index];
    u8 *arenaEnd = m_poolStart + (index + 1) * arenaSize;
    u64 length = get16(chunk) + headerSize;
    // A header that reaches past its arena is not one of ours; writing it back would spill over.
    if (length > u64(arenaEnd - chunk))
        return;
    std::memset(chunk, 0, length);

    u8 *before = nullptr;
    for (u8 *c = arena.freeHead; c && c < chunk; c = nextChunk(c))
        before = c;
    if (before) {
        u8 *after = nextChunk(before);
        put16(chunk + 2, after ? after - chunk : 0);
        put16(before + 2, chunk - before);
    } else {
        put16(chunk + 2, arena.freeHead ? arena.freeHead - chunk : 0);
        arena.freeHead = chunk;
    }
    put16(chunk, length);
    ++arena.freeChunkCount;

    // Two steps join the freed chunk to both of its free neighbours.
    u8 *current = before ? before : chunk;
    for (int step = 0; step < 2 && current; ++step) {
        if (nextOffset(current) && chunkSize(current) == nextOffset(current)) {
            u8 *absorbed = current + nextOffset(current);
            put16(current, chunkSize(current) + chunkSize(absorbed));
            put16(current + 2, nextOffset(absorbed) ? nextOffset(current) + nextOffset(absorbed) : 0);
            --arena.freeChunkCount;
        } else {
            current = nextChunk(current);
        }
    }
}

const u8 *StreamPool::arenaStart(u32 arena) {
    create();
    return m_poolStart + u64(arena) * arenaSize;
}

const u8 *StreamPool::freeHead(u32 arena) {
    create();
    return m_arenas[arena].freeHead;
}

std::uint16_t StreamPool::freeChunkCount(u32 arena) {
    create();
    return m_arenas[arena].freeChunkCount;
}

StreamPool &StreamPool::global() {
    // Never destroyed: a stream released during the process's own teardown still finds its pool.
    static StreamPool *pool = new StreamPool;
    return *pool;
}

void *GlobalStaticAllocator::operator new(std::size_t size) noexcept {
    return StreamPool::global().allocate(size);
}

void GlobalStaticAllocator::operator delete(void *p) noexcept {
    if (p)
        StreamPool::global().release(p);
}

} // namespace Common
