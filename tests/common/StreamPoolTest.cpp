// Tests of the stream pool: placement, splitting, merging, exhaustion, and stream objects taken from it.
#include "common/GlobalStaticAllocator.h"
#include "common/Streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Common::StreamPool;
using Common::u64;
using Common::u8;

std::uint16_t at16(const u8 *p) {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

u8 *bytes(void *p) { return static_cast<u8 *>(p); }

TEST(StreamPoolTest, FirstRequestComesFromTheStartOfArenaZero) {
    StreamPool pool;
    void *p = pool.allocate(30);
    const u8 *arena0 = pool.arenaStart(0);
    EXPECT_EQ(bytes(p), arena0 + 2);
    EXPECT_EQ(at16(arena0), 30u);
    ASSERT_EQ(pool.freeHead(0), arena0 + 32);
    EXPECT_EQ(at16(pool.freeHead(0)), 65503u);
    EXPECT_EQ(at16(pool.freeHead(0) + 2), 0u);
    for (Common::u32 i = 0; i < StreamPool::arenaCount; ++i) {
        EXPECT_EQ(pool.freeChunkCount(i), 1u) << i;
        EXPECT_EQ(pool.arenaStart(i), arena0 + u64(i) * 65535) << i;
    }
    // The block is handed out zeroed.
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(bytes(p)[i], 0) << i;
}

TEST(StreamPoolTest, BlockLengthsFollowTheRequest) {
    struct Case {
        u64 request;
        unsigned header;
        long taken; // bytes the arena's free chunk shrinks by; -1 for a refusal
    } cases[] = {
        {0, 2, 4}, {1, 2, 4}, {2, 2, 4}, {3, 3, 5}, {65533, 65533, 65535}, {65534, 0, -1}, {~u64(0), 0, -1},
    };
    for (const Case &c : cases) {
        StreamPool pool;
        void *p = pool.allocate(c.request);
        if (c.taken < 0) {
            EXPECT_EQ(p, nullptr) << c.request;
            continue;
        }
        ASSERT_NE(p, nullptr) << c.request;
        EXPECT_EQ(at16(bytes(p) - 2), c.header) << c.request;
        if (c.taken == 65535) {
            EXPECT_EQ(pool.freeHead(0), nullptr);
            EXPECT_EQ(pool.freeChunkCount(0), 0u);
        } else {
            EXPECT_EQ(at16(pool.freeHead(0)), 65535 - c.taken) << c.request;
        }
    }
}

// Gives every arena an 8-byte block, a freed hole for `holeRequest` bytes, a used guard of 8 bytes and
// its free rest. All counts are then 2, so arena 0 is tried first.
struct Holes {
    u8 *hole;
    u8 *guard;
};
Holes holesEverywhere(StreamPool &pool, u64 holeRequest) {
    Holes first = {};
    for (Common::u32 i = 0; i < StreamPool::arenaCount; ++i) {
        pool.allocate(8);
        u8 *hole = bytes(pool.allocate(holeRequest));
        u8 *guard = bytes(pool.allocate(8));
        EXPECT_EQ(hole - 2 - 10, pool.arenaStart(i));
        pool.release(hole);
        if (i == 0)
            first = {hole, guard};
    }
    for (Common::u32 i = 0; i < StreamPool::arenaCount; ++i)
        EXPECT_EQ(pool.freeChunkCount(i), 2u);
    return first;
}

TEST(StreamPoolTest, ChunkWithOneToThreeBytesToSpareIsPassedOver) {
    // The hole is 22 bytes long: a freed 20-byte request.
    struct Case {
        u64 request;
        bool takesHole;
    } cases[] = {{20, true}, {16, true}, {17, false}, {18, false}, {19, false}, {10, true}};
    for (const Case &c : cases) {
        StreamPool pool;
        Holes h = holesEverywhere(pool, 20);
        void *p = pool.allocate(c.request);
        // Passed over, the request is served from the same arena's rest behind the guard.
        EXPECT_EQ(bytes(p), c.takesHole ? h.hole : h.guard + 8 + 2) << c.request;
    }
}

TEST(StreamPoolTest, SplitLeavesTheRestInThePlaceOfTheChunk) {
    StreamPool pool;
    Holes h = holesEverywhere(pool, 40);
    // The hole (42 bytes) is split: 12 in front, 30 stay free and still lead to the large rest.
    EXPECT_EQ(bytes(pool.allocate(10)), h.hole);
    const u8 *rest = h.hole - 2 + 12;
    EXPECT_EQ(pool.freeHead(0), rest);
    EXPECT_EQ(at16(rest), 30u);
    EXPECT_EQ(rest + at16(rest + 2), h.guard + 8);
    EXPECT_EQ(pool.freeChunkCount(0), 2u);

    // An exact fit unlinks the chunk; the head moves on to the rest.
    EXPECT_EQ(bytes(pool.allocate(28)), rest + 2);
    EXPECT_EQ(pool.freeHead(0), h.guard + 8);
    EXPECT_EQ(pool.freeChunkCount(0), 1u);
}

TEST(StreamPoolTest, FreeingTheMiddleBlockMergesAllThreeWithTheRest) {
    StreamPool pool;
    void *a = pool.allocate(10);
    void *b = pool.allocate(20);
    void *c = pool.allocate(30);
    pool.release(a);
    EXPECT_EQ(pool.freeChunkCount(0), 2u);
    pool.release(c); // joins the rest behind it
    EXPECT_EQ(pool.freeChunkCount(0), 2u);
    pool.release(b);
    EXPECT_EQ(pool.freeChunkCount(0), 1u);
    EXPECT_EQ(pool.freeHead(0), pool.arenaStart(0));
    EXPECT_EQ(at16(pool.arenaStart(0)), 65535u);
    EXPECT_EQ(at16(pool.arenaStart(0) + 2), 0u);
    // The arena is whole again: the largest request fits.
    EXPECT_EQ(bytes(pool.allocate(65533)), pool.arenaStart(0) + 2);
}

TEST(StreamPoolTest, FiveFullArenasExhaustThePoolWhileFiveStayEmpty) {
    StreamPool pool;
    for (Common::u32 i = 0; i < 5; ++i)
        EXPECT_EQ(bytes(pool.allocate(65533)), pool.arenaStart(i) + 2) << i;
    // Full arenas have the smallest counts, so they spend all five tries.
    EXPECT_EQ(pool.allocate(65533), nullptr);
    EXPECT_EQ(pool.allocate(0), nullptr);
    for (Common::u32 i = 5; i < StreamPool::arenaCount; ++i)
        EXPECT_EQ(pool.freeChunkCount(i), 1u) << i;
}

TEST(StreamPoolTest, PointerOutsideThePoolIsIgnored) {
    StreamPool pool;
    pool.allocate(8);
    u8 outside[16] = {};
    pool.release(outside + 2);
    pool.release(nullptr);
    EXPECT_EQ(pool.freeChunkCount(0), 1u);
    for (u8 b : outside)
        EXPECT_EQ(b, 0);
}

TEST(StreamPoolTest, StreamsComeFromTheProcessPoolAndNullMeansNoObject) {
    StreamPool &pool = StreamPool::global();
    Common::InputStream *stream = new Common::InputStreamFromFile("no such file");
    ASSERT_NE(stream, nullptr);
    const u8 *start = pool.arenaStart(0);
    const u8 *end = pool.arenaStart(StreamPool::arenaCount - 1) + StreamPool::arenaSize;
    EXPECT_TRUE(bytes(stream) >= start && bytes(stream) < end);
    delete stream;

    std::vector<void *> full;
    while (void *p = pool.allocate(65533))
        full.push_back(p);
    EXPECT_EQ(full.size(), 5u);
    EXPECT_EQ(new Common::OutputStreamToFile("never opened", false), nullptr);
    for (void *p : full)
        pool.release(p);
}

} // namespace
