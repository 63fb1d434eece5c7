// Tests of Common::list, Common::map, Common::pair and Common::SharedPtr.
#include "common/Convertible.h"
#include "common/List.h"
#include "common/Map.h"
#include "common/Pair.h"
#include "common/SharedPtr.h"
#include "common/String.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace Common {

// Reads the count cell, which the public interface keeps hidden.
struct SharedPtrProbe {
    template <class T> static u32 count(const SharedPtr<T> &p) { return *p.m_count; }
    template <class T> static const u32 *cell(const SharedPtr<T> &p) { return p.m_count; }
};

} // namespace Common

namespace {

using Common::istring;
using Common::SharedPtr;
using Common::SharedPtrProbe;
using Common::string;

typedef Common::map<string, string, Common::DefaultAllocator> StringMap;
typedef Common::map<istring, void *, Common::DefaultAllocator> PathIndex;

// Counts how many objects exist and how they came to be, to show what a container made or released.
struct Tracked {
    static int live;
    static int defaultMade;
    static int destroyed;
    static void reset() { live = defaultMade = destroyed = 0; }

    int id;
    Tracked() : id(0) {
        ++live;
        ++defaultMade;
    }
    explicit Tracked(int i) : id(i) { ++live; }
    Tracked(const Tracked &other) : id(other.id) { ++live; }
    Tracked &operator=(const Tracked &other) = default;
    ~Tracked() {
        --live;
        ++destroyed;
    }
};
int Tracked::live = 0;
int Tracked::defaultMade = 0;
int Tracked::destroyed = 0;

class TrackedTest : public testing::Test {
  protected:
    void SetUp() override { Tracked::reset(); }
    void TearDown() override { EXPECT_EQ(Tracked::live, 0) << "objects leaked or destroyed twice"; }
};

std::vector<int> ids(const Common::list<Tracked> &l) {
    std::vector<int> out;
    for (Common::list<Tracked>::const_iterator it = l.begin(); it != l.end(); ++it)
        out.push_back(it->id);
    return out;
}

Common::list<Tracked> listOf(std::initializer_list<int> values) {
    Common::list<Tracked> l;
    for (int v : values)
        l.push_back(Tracked(v));
    return l;
}

template <class Map> std::vector<std::string> keys(const Map &m) {
    std::vector<std::string> out;
    for (typename Map::const_iterator it = m.begin(); it != m.end(); ++it)
        out.push_back(std::string(it->first.c_str(), it->first.length()));
    return out;
}

// The list.

typedef TrackedTest ListTest;

TEST_F(ListTest, SentinelIsMadeOnFirstUseOnly) {
    {
        Common::list<Tracked> unused;
        EXPECT_EQ(Tracked::defaultMade, 0);
    }
    // Destroying a list that was never used still makes its sentinel and frees it again.
    EXPECT_EQ(Tracked::defaultMade, 1);
    EXPECT_EQ(Tracked::destroyed, 1);

    Tracked::reset();
    Common::list<Tracked> l;
    EXPECT_TRUE(l.begin() == l.end());
    EXPECT_EQ(Tracked::defaultMade, 1);
    l.push_back(Tracked(1));
    // The new node's value is default-made and then assigned.
    EXPECT_EQ(Tracked::defaultMade, 2);
}

TEST_F(ListTest, FirstOperationOfAnyKindWorksOnAFreshList) {
    {
        Common::list<Tracked> l;
        l.clear();
        EXPECT_TRUE(ids(l).empty());
    }
    {
        Common::list<Tracked> l;
        l.pop_back();
        l.pop_front();
        EXPECT_TRUE(ids(l).empty());
    }
    {
        const Common::list<Tracked> l;
        EXPECT_TRUE(l.begin() == l.end());
    }
}

TEST_F(ListTest, PushAndPopAtBothEnds) {
    Common::list<Tracked> l = listOf({1, 2, 3});
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2, 3}));
    l.pop_front();
    EXPECT_EQ(ids(l), (std::vector<int>{2, 3}));
    l.pop_back();
    EXPECT_EQ(ids(l), (std::vector<int>{2}));
    l.pop_back();
    EXPECT_TRUE(ids(l).empty());

    // Popping an empty list leaves it empty and usable.
    l.pop_back();
    l.pop_front();
    EXPECT_TRUE(ids(l).empty());
    l.push_back(Tracked(7));
    EXPECT_EQ(ids(l), (std::vector<int>{7}));
    // Only the sentinel and the element are left.
    EXPECT_EQ(Tracked::live, 2);
}

TEST_F(ListTest, IteratorsWalkBothWaysAroundTheCircle) {
    Common::list<Tracked> l = listOf({1, 2});
    Common::list<Tracked>::iterator it = l.end();
    --it;
    EXPECT_EQ(it->id, 2);
    ++it;
    EXPECT_TRUE(it == l.end());
    ++it;
    EXPECT_TRUE(it == l.begin());
    it->id = 5;
    EXPECT_EQ(ids(l), (std::vector<int>{5, 2}));
}

TEST_F(ListTest, InsertCopiesARangeBeforeThePosition) {
    struct Case {
        const char *name;
        int position; // index of the element to insert before; -1 for end
        int skipFirst;
        int dropLast;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"whole range in the middle", 1, 0, 0, {1, 7, 8, 9, 2}},
        {"at the front", 0, 0, 0, {7, 8, 9, 1, 2}},
        {"at the end", -1, 0, 0, {1, 2, 7, 8, 9}},
        {"part of the range", 1, 1, 1, {1, 8, 2}},
        {"empty range", 1, 3, 0, {1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Common::list<Tracked> target = listOf({1, 2});
        const Common::list<Tracked> source = listOf({7, 8, 9});
        Common::list<Tracked>::iterator at = target.begin();
        if (c.position < 0)
            at = target.end();
        for (int i = 0; i < c.position; ++i)
            ++at;
        Common::list<Tracked>::const_iterator first = source.begin();
        for (int i = 0; i < c.skipFirst; ++i)
            ++first;
        Common::list<Tracked>::const_iterator last = source.end();
        for (int i = 0; i < c.dropLast; ++i)
            --last;
        target.insert(at, first, last);
        EXPECT_EQ(ids(target), c.expected);
        EXPECT_EQ(ids(source), (std::vector<int>{7, 8, 9}));
    }
}

TEST_F(ListTest, InsertingItsOwnRangeEnds) {
    Common::list<Tracked> l = listOf({1, 2});
    l.insert(l.end(), l.begin(), l.end());
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2, 1, 2}));
    Common::list<Tracked>::iterator second = l.begin();
    ++second;
    l.insert(second, l.begin(), l.end());
    EXPECT_EQ(ids(l), (std::vector<int>{1, 1, 2, 1, 2, 2, 1, 2}));
}

TEST_F(ListTest, AssignmentAndCopiesAreIndependent) {
    Common::list<Tracked> l = listOf({1, 2, 3});
    Common::list<Tracked> &alias = l;
    l = alias;
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2, 3}));

    Common::list<Tracked> other = listOf({9});
    other = l;
    EXPECT_EQ(ids(other), (std::vector<int>{1, 2, 3}));
    other.pop_front();
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2, 3}));

    Common::list<Tracked> copy(l);
    copy.clear();
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2, 3}));

    const Common::list<Tracked> unused;
    l = unused;
    EXPECT_TRUE(ids(l).empty());
}

TEST(ListSharingTest, ElementsShareAndAreReleasedByClearAndDestruction) {
    SharedPtr<int> p(new int(4));
    {
        Common::list<SharedPtr<int>> l;
        l.push_back(p);
        l.push_back(p);
        EXPECT_EQ(SharedPtrProbe::count(p), 3u);
        EXPECT_EQ(l.begin()->get(), p.get());
        l.pop_back();
        EXPECT_EQ(SharedPtrProbe::count(p), 2u);
        l.clear();
        EXPECT_EQ(SharedPtrProbe::count(p), 1u);
        l.push_back(p);
    }
    EXPECT_EQ(SharedPtrProbe::count(p), 1u);

    Common::list<string> strings;
    const string s("shared");
    strings.push_back(s);
    EXPECT_EQ(strings.begin()->c_str(), s.c_str());
}

// The map.

TEST(MapTest, KeysWalkInOrderWhateverTheInsertionOrder) {
    const char *const orders[][3] = {{"b", "a", "c"}, {"c", "b", "a"}, {"a", "b", "c"}, {"a", "c", "b"}};
    for (const auto &order : orders) {
        StringMap m;
        for (const char *key : order) {
            const Common::pair<StringMap::iterator, bool> result =
                m.insert(StringMap::value_type(string(key), string(key) + "!"));
            EXPECT_TRUE(result.second);
            EXPECT_TRUE(result.first->first == key);
            EXPECT_TRUE(result.first->second == (std::string(key) + "!").c_str());
        }
        EXPECT_EQ(keys(m), (std::vector<std::string>{"a", "b", "c"}));
    }
}

TEST(MapTest, InsertingAnExistingKeyReplacesTheValue) {
    StringMap m;
    m.insert(StringMap::value_type(string("a"), string("1")));
    const StringMap::iterator b = m.insert(StringMap::value_type(string("b"), string("2"))).first;
    const Common::pair<StringMap::iterator, bool> again =
        m.insert(StringMap::value_type(string("b"), string("3")));
    EXPECT_FALSE(again.second);
    EXPECT_TRUE(again.first == b);
    EXPECT_TRUE(b->second == "3");
    EXPECT_EQ(keys(m), (std::vector<std::string>{"a", "b"}));
}

TEST(MapTest, CaseFoldedKeysOrderAndReplaceWithoutRegardToCase) {
    PathIndex index;
    int file = 0;
    int folder = 0;
    index.insert(PathIndex::value_type(istring(string("B")), &file));
    index.insert(PathIndex::value_type(istring(string("a")), &folder));
    EXPECT_EQ(keys(index), (std::vector<std::string>{"a", "B"}));

    const Common::pair<PathIndex::iterator, bool> result =
        index.insert(PathIndex::value_type(istring(string("A")), &file));
    EXPECT_FALSE(result.second);
    // The stored key object stays as first inserted.
    EXPECT_EQ(std::string(result.first->first.c_str()), "a");
    EXPECT_EQ(result.first->second, &file);
    EXPECT_EQ(keys(index), (std::vector<std::string>{"a", "B"}));

    EXPECT_TRUE(index.find(istring(string("b"))) != index.end());
    EXPECT_EQ(index.find(istring(string("b")))->second, &file);
}

TEST(MapTest, IndexingAnAbsentKeyAddsTheDefaultValue) {
    StringMap attributes;
    attributes.insert(StringMap::value_type(string("id"), string("7")));
    EXPECT_TRUE(attributes[string("id")] == "7");
    EXPECT_TRUE(attributes[string("name")].empty());
    EXPECT_EQ(keys(attributes), (std::vector<std::string>{"id", "name"}));
    attributes[string("name")] = string("disc");
    EXPECT_TRUE(attributes.find(string("name"))->second == "disc");

    PathIndex index;
    EXPECT_EQ(index[istring(string("Dir"))], nullptr);
    EXPECT_TRUE(index.find(istring(string("DIR"))) != index.end());
}

TEST(MapTest, EraseRemovesOnlyAPresentKey) {
    StringMap m;
    for (const char *key : {"a", "b", "c"})
        m[string(key)] = string(key);
    EXPECT_FALSE(m.erase(string("x")));
    EXPECT_EQ(keys(m), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(m.erase(string("b")));
    EXPECT_EQ(keys(m), (std::vector<std::string>{"a", "c"}));
    EXPECT_TRUE(m.find(string("b")) == m.end());
    EXPECT_FALSE(m.erase(string("b")));

    PathIndex index;
    index[istring(string("File"))] = &m;
    EXPECT_TRUE(index.erase(istring(string("FILE"))));
    EXPECT_TRUE(index.begin() == index.end());
}

// Plain string equality sees inner NULs while the order stops at them, so such keys stay distinct.
TEST(MapTest, KeysDifferingAfterANulStayDistinct) {
    StringMap m;
    m[string("a\0b", 3)] = string("1");
    m[string("a\0c", 3)] = string("2");
    EXPECT_EQ(keys(m).size(), 2u);
    EXPECT_TRUE(m[string("a\0b", 3)] == "1");
    EXPECT_TRUE(m[string("a\0c", 3)] == "2");
}

TEST(MapTest, UnusedMapsClearAndAssignment) {
    { StringMap unused; }
    {
        PathIndex unused;
        unused.clear();
        EXPECT_TRUE(unused.begin() == unused.end());
    }

    PathIndex index;
    int a = 0;
    int b = 0;
    index[istring(string("b"))] = &b;
    index[istring(string("a"))] = &a;
    PathIndex &alias = index;
    index = alias;
    EXPECT_EQ(keys(index), (std::vector<std::string>{"a", "b"}));

    PathIndex copy;
    copy[istring(string("z"))] = nullptr;
    copy = index;
    EXPECT_EQ(keys(copy), (std::vector<std::string>{"a", "b"}));
    copy.erase(istring(string("a")));
    EXPECT_EQ(keys(index), (std::vector<std::string>{"a", "b"}));

    const PathIndex copied(index);
    index.clear();
    EXPECT_EQ(keys(copied), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(index.begin() == index.end());
    index[istring(string("c"))] = &a;
    EXPECT_EQ(keys(index), (std::vector<std::string>{"c"}));
}

TEST(MapTest, ReleasesTheValuesItHeld) {
    SharedPtr<int> value(new int(1));
    {
        Common::map<string, SharedPtr<int>> m;
        m[string("k")] = value;
        m.insert(Common::pair<string, SharedPtr<int>>(string("j"), value));
        EXPECT_EQ(SharedPtrProbe::count(value), 3u);
        m.erase(string("k"));
        EXPECT_EQ(SharedPtrProbe::count(value), 2u);
    }
    EXPECT_EQ(SharedPtrProbe::count(value), 1u);
}

// The pair and the polymorphic root.

std::vector<int> destructionOrder;

struct Recorder {
    int id;
    Recorder() : id(0) {}
    explicit Recorder(int i) : id(i) {}
    ~Recorder() {
        if (id)
            destructionOrder.push_back(id);
    }
};

TEST(PairTest, DestroyedThroughTheRootReleasesSecondThenFirst) {
    destructionOrder.clear();
    Common::Convertible *root = new Common::pair<Recorder, Recorder>(Recorder(1), Recorder(2));
    destructionOrder.clear(); // the temporaries
    EXPECT_TRUE(root->toString().empty());
    delete root;
    EXPECT_EQ(destructionOrder, (std::vector<int>{2, 1}));
}

TEST(PairTest, MapIsAConvertibleWithAnEmptyText) {
    Common::Convertible *root = new StringMap;
    static_cast<StringMap *>(root)->operator[](string("k")) = string("v");
    EXPECT_TRUE(root->toString().empty());
    delete root;
}

// The shared pointer.

typedef TrackedTest SharedPtrTest;

TEST_F(SharedPtrTest, EmptyPointerOwnsACountCell) {
    SharedPtr<Tracked> empty;
    EXPECT_EQ(empty.get(), nullptr);
    ASSERT_NE(SharedPtrProbe::cell(empty), nullptr);
    EXPECT_EQ(SharedPtrProbe::count(empty), 1u);
    {
        SharedPtr<Tracked> copy(empty);
        EXPECT_EQ(SharedPtrProbe::count(empty), 2u);
    }
    EXPECT_EQ(SharedPtrProbe::count(empty), 1u);

    // Two empty pointers made apart have cells of their own.
    SharedPtr<Tracked> other;
    EXPECT_NE(SharedPtrProbe::cell(other), SharedPtrProbe::cell(empty));
}

TEST_F(SharedPtrTest, LastHolderDestroysTheObjectOnce) {
    {
        SharedPtr<Tracked> a(new Tracked(1));
        SharedPtr<Tracked> b(a);
        SharedPtr<Tracked> c;
        c = b;
        EXPECT_EQ(SharedPtrProbe::count(a), 3u);
        EXPECT_EQ(c->id, 1);
        EXPECT_EQ(&*c, a.get());

        // Assigning another holder of the same object changes no count.
        b = c;
        a = a;
        EXPECT_EQ(SharedPtrProbe::count(a), 3u);
    }
    EXPECT_EQ(Tracked::destroyed, 1);
}

TEST_F(SharedPtrTest, AssignmentReleasesTheOldObject) {
    SharedPtr<Tracked> a(new Tracked(1));
    SharedPtr<Tracked> b(new Tracked(2));
    SharedPtr<Tracked> keep(b);
    b = a;
    EXPECT_EQ(Tracked::destroyed, 0);
    EXPECT_EQ(SharedPtrProbe::count(keep), 1u);
    EXPECT_EQ(SharedPtrProbe::count(a), 2u);
    keep = a;
    EXPECT_EQ(Tracked::destroyed, 1);
    EXPECT_EQ(SharedPtrProbe::count(a), 3u);
    a = SharedPtr<Tracked>();
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(SharedPtrProbe::count(b), 2u);
}

struct TreeNode {
    SharedPtr<TreeNode> child;
    Tracked marker;
};

// Walking down a chain through the only holder of each level releases the level that owns the
// pointer being assigned from.
TEST_F(SharedPtrTest, AssigningFromInsideTheReleasedObject) {
    SharedPtr<TreeNode> p(new TreeNode);
    p->child = SharedPtr<TreeNode>(new TreeNode);
    p->child->child = SharedPtr<TreeNode>(new TreeNode);
    EXPECT_EQ(Tracked::live, 3);
    p = p->child;
    EXPECT_EQ(Tracked::live, 2);
    EXPECT_EQ(SharedPtrProbe::count(p), 1u);
    p = p->child;
    EXPECT_EQ(Tracked::live, 1);
    EXPECT_EQ(p->child.get(), nullptr);
}

// Streams are freed by their virtual deleting destructor through their own allocator.
struct Stream {
    static int freedByOwnDelete;
    virtual ~Stream() {}
    static void *operator new(std::size_t n) { return ::operator new(n); }
    static void operator delete(void *p) {
        ++freedByOwnDelete;
        ::operator delete(p);
    }
};
int Stream::freedByOwnDelete = 0;

struct FileStream : Stream {
    Tracked marker;
};

TEST_F(SharedPtrTest, PolymorphicObjectGoesThroughItsVirtualDestructor) {
    Stream::freedByOwnDelete = 0;
    {
        SharedPtr<Stream> s(new FileStream);
        SharedPtr<Stream> copy = s;
    }
    EXPECT_EQ(Tracked::destroyed, 1);
    EXPECT_EQ(Stream::freedByOwnDelete, 1);
}

} // namespace
