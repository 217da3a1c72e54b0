// The collector: survival through roots, traced fields and the write barrier;
// destruction of unreachable objects; the growth thresholds; the static empty
// arrays; bounded heap under churn.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "runtime/runtime.h"

namespace {

struct Node : Object {
    Node* next = nullptr;
    Node* other = nullptr;
    Array<Node*> children;
    static int destroyed;
    ~Node() override { ++destroyed; }
    void mark() override {
        gc_mark_q(next);
        gc_mark_q(other);
        gc_mark_q(children);
    }
};
int Node::destroyed = 0;

Node* g_root = nullptr;

void mark_test_roots() { gc_mark_q(g_root); }

// Brings the collector to a known state: only the test's root is a root, and every
// earlier test's garbage is destroyed.
class Collector : public testing::Test {
protected:
    void SetUp() override {
        gc_root_marker = mark_test_roots;
        g_root = nullptr;
        full_collection();
        Node::destroyed = 0;
    }
    void TearDown() override {
        g_root = nullptr;
        full_collection();
        gc_root_marker = nullptr;
    }
    // A forced collection finishes the cycle and sweeps, destroying the dead at once.
    // Objects blackened by an earlier finished cycle only die at the sweep after
    // next, and a cycle with nothing white does not sweep at all: so two forced
    // collections, each given a fresh white object to sweep.
    static void full_collection() {
        for (int i = 0; i < 2; ++i) {
            new Object();
            gc_force_sweep = true;
            gc_collect();
        }
    }
};

TEST_F(Collector, UnreachableObjectIsDestroyedByForcedSweep) {
    new Node();
    EXPECT_EQ(Node::destroyed, 0);
    full_collection();
    EXPECT_EQ(Node::destroyed, 1);
}

TEST_F(Collector, RootsAndTracedFieldsKeepObjectsAlive) {
    gc_assign(g_root, new Node());
    gc_assign(g_root->next, new Node());
    Array<Node*> kids(2);
    gc_assign(g_root->children, kids);
    gc_assign(kids[1], new Node());
    new Node();  // garbage
    full_collection();
    full_collection();
    EXPECT_EQ(Node::destroyed, 1);
    EXPECT_TRUE(gc_is_live(g_root->next));
    EXPECT_TRUE(gc_is_live(g_root->children[1]));

    g_root->next = nullptr;  // dropping a reference needs no barrier
    full_collection();
    EXPECT_EQ(Node::destroyed, 2);
}

TEST_F(Collector, BarrierQueuesObjectStoredIntoBlackObject) {
    gc_assign(g_root, new Node());
    full_collection();
    // The sweep queued the root; an incremental step blackens it.
    gc_collect();
    ASSERT_EQ(gc_list_count(gc_queued_list), 0);
    ASSERT_TRUE(gc_is_live(g_root));

    Node* kept = new Node();
    gc_assign(g_root->next, kept);     // through the barrier
    Node* lost = new Node();
    g_root->other = lost;              // a store that skipped the barrier

    gc_force_sweep = true;
    gc_collect();
    EXPECT_TRUE(gc_is_live(kept));
    EXPECT_FALSE(gc_is_live(lost));
    EXPECT_EQ(Node::destroyed, 1);
    g_root->other = nullptr;
}

TEST_F(Collector, SameWhiteObjectStoredTwiceIsQueuedOnce) {
    gc_assign(g_root, new Node());
    full_collection();
    gc_collect();
    Node* n = new Node();
    int before = gc_list_count(gc_queued_list);
    gc_assign(g_root->next, n);
    gc_assign(g_root->next, n);
    EXPECT_EQ(gc_list_count(gc_queued_list), before + 1);
}

TEST_F(Collector, StaticEmptyArraysAreNeverCollected) {
    Array<int> empty(0);
    Array<Node*> no_nodes(0);
    EXPECT_EQ(empty.rep->flags & 3, 3);
    gc_mark_q(empty);
    gc_mark_q(no_nodes);
    EXPECT_FALSE(gc_is_live(empty.rep));
    full_collection();
    EXPECT_EQ(Array<int>(0).rep, empty.rep);
    EXPECT_EQ(empty.Length(), 0);
}

TEST_F(Collector, NoSweepBelowFourMegabytesOfGrowth) {
    full_collection();
    Node::destroyed = 0;
    for (int i = 0; i < 1000; ++i) new Node();  // far below 4 MiB
    for (int i = 0; i < 50; ++i) gc_collect();
    EXPECT_EQ(Node::destroyed, 0);
    EXPECT_EQ(gc_list_count(gc_free_list), 0);
    full_collection();
    EXPECT_EQ(Node::destroyed, 1000);
}

TEST_F(Collector, LargeArrayIsTracedInPiecesAcrossSteps) {
    gc_assign(g_root, new Node());
    Array<Node*> kids(6000);
    gc_assign(g_root->children, kids);
    for (int i = 0; i < 6000; ++i) gc_assign(kids[i], new Node());
    full_collection();
    // After the sweep only the root is queued. Its array's elements are marked in
    // pieces, so a step stops near its budget instead of marking all 6002.
    gc_collect();
    EXPECT_EQ(gc_list_count(gc_queued_list), 0);
    EXPECT_GE(gc_marked_objs, kGcStepObjects);
    EXPECT_LE(gc_marked_objs, kGcStepObjects + kGcArrayPiece + 2);
    gc_collect();
    EXPECT_LE(gc_marked_objs, 2 * (kGcStepObjects + kGcArrayPiece) + 2);
    for (int i = 0; i < 3; ++i) gc_collect();
    EXPECT_EQ(gc_marked_objs, 6002);
    full_collection();
    EXPECT_EQ(Node::destroyed, 0);
}

TEST_F(Collector, StepOverAnArrayOfBlackElementsIsBounded) {
    // Every element is one object, so after the first piece marks it the rest of
    // the array marks nothing; the step must still stop after a bounded visit.
    gc_assign(g_root, new Node());
    Array<Node*> same(200000);
    gc_assign(g_root->children, same);
    gc_assign(same[0], new Node());
    for (int i = 1; i < 200000; ++i) same[i] = same[0];
    full_collection();
    gc_collect();
    EXPECT_LT(gc_marked_objs, 10);
    int steps = 1;
    int lastMarkbit = gc_markbit;
    while (gc_markbit == lastMarkbit && steps < 1000) {
        Array<int> junk(kGcSweepGrowth / 16);  // growth for the cycle to end in a sweep
        gc_collect();
        ++steps;
    }
    // 200,000 elements, at most 4 x 2500 visited a step.
    EXPECT_GE(steps, 200000 / (4 * kGcStepObjects));
    EXPECT_LT(steps, 1000);
    EXPECT_EQ(Node::destroyed, 0);
}

// True when every object on the list headed by `head` has the colour the list
// stands for: white on the unmarked list, reached on the queue and marked lists.
bool ListHoldsItsColour(const gc_object& head, bool white) {
    for (const gc_object* q = head.succ; q != &head; q = q->succ) {
        if (((q->flags & 3) == gc_markbit) != white) return false;
    }
    return true;
}

TEST_F(Collector, ReferencesTracedAsAStepRunsOutAreQueuedWhenItEnds) {
    // The array's last piece spends the step's budget exactly, and its last element
    // holds the only reference to `leaf`. The step ends with the queue list itself
    // empty: unless the leaf is queued by then, the cycle looks finished, the sweep
    // frees the leaf while it is reachable.
    const int pieces = (kGcStepObjects - 2 + kGcArrayPiece - 1) / kGcArrayPiece;
    const int count = pieces * kGcArrayPiece;
    ASSERT_GE(2 + count, kGcStepObjects);
    ASSERT_LT(2 + count - kGcArrayPiece, kGcStepObjects);
    Array<Node*> kids(count);
    for (int i = 0; i < count; ++i) kids[i] = new Node();  // kids is white: no barrier needed yet
    Node* leaf = new Node();
    kids[count - 1]->next = leaf;
    gc_assign(g_root, new Node());
    gc_assign(g_root->children, kids);
    Array<int> junk(kGcSweepGrowth / 4 + 16);  // growth enough for the cycle to end in a sweep
    const int markbit = gc_markbit;

    gc_collect();
    EXPECT_EQ(gc_markbit, markbit) << "the cycle ended with the leaf unmarked";
    EXPECT_TRUE(gc_is_live(leaf));
    EXPECT_EQ(gc_list_count(gc_queued_list), 1);
    EXPECT_TRUE(ListHoldsItsColour(gc_unmarked_list, true));
    EXPECT_TRUE(ListHoldsItsColour(gc_queued_list, false));
    EXPECT_TRUE(ListHoldsItsColour(gc_marked_list, false));

    gc_collect();  // traces the leaf, ends the cycle and sweeps
    EXPECT_NE(gc_markbit, markbit);
    full_collection();
    EXPECT_EQ(Node::destroyed, 0);
    EXPECT_TRUE(gc_is_live(leaf));
}

TEST_F(Collector, ChurnKeepsTheHeapBounded) {
    gc_assign(g_root, new Node());
    full_collection();
    int base = gc_alloced_bytes;
    int peak = 0;
    for (int i = 0; i < 200000; ++i) {
        Array<int> garbage(100);
        garbage[0] = i;
        if (i % 8 == 0) gc_assign(g_root->next, new Node());  // some survive a while
        if (i % 50 == 0) gc_collect();
        if (gc_alloced_bytes - base > peak) peak = gc_alloced_bytes - base;
    }
    // About 80 MiB went through the heap; what stays counted is bounded by the
    // sweep threshold plus what one step of marking lags behind.
    EXPECT_LT(peak, 3 * kGcSweepGrowth);
    EXPECT_GT(Node::destroyed, 20000);
}

TEST_F(Collector, SmallBlocksAreRecycledBySize) {
    Node* first = new Node();
    void* address = first;
    full_collection();
    ASSERT_EQ(Node::destroyed, 1);
    Node* again = new Node();
    EXPECT_EQ(static_cast<void*>(again), address);
}

TEST_F(Collector, ObjectIdentity) {
    Node* a = new Node();
    Node* b = new Node();
    EXPECT_TRUE(a->Equals(a));
    EXPECT_FALSE(a->Equals(b));
    EXPECT_EQ(a->Compare(a), 0);
    EXPECT_NE(a->Compare(b), 0);
    EXPECT_EQ(a->Compare(b), -b->Compare(a));
    EXPECT_EQ(a->debug().ToUtf8(), "+Object\n");
}

TEST_F(Collector, CompareOrdersAddressesFurtherApartThanAnInt) {
    // Compare never reads the other object, so an address 4 GiB (and 2 GiB) away
    // stands for an object elsewhere on a large heap.
    Node* a = new Node();
    auto far = [a](std::uintptr_t delta) {
        return reinterpret_cast<Object*>(reinterpret_cast<std::uintptr_t>(a) + delta);
    };
    EXPECT_LT(a->Compare(far(std::uintptr_t{1} << 32)), 0);
    EXPECT_LT(a->Compare(far(std::uintptr_t{1} << 31)), 0);
    // An address 4 GiB below exists only for an object above 4 GiB (a Linux heap;
    // a Windows heap may lie lower).
    if (reinterpret_cast<std::uintptr_t>(a) > (std::uintptr_t{1} << 32)) {
        EXPECT_GT(a->Compare(far(-(std::uintptr_t{1} << 32))), 0);
    }
}

using CollectorDeathTest = Collector;

// The status of a program stopped by fail(), which exits with -1; the pointer is
// printed with or without its "0x", as the C library has it.
#ifdef _WIN32
constexpr int kFailStatus = -1;
#else
constexpr int kFailStatus = 255;
#endif

TEST_F(CollectorDeathTest, DeadBytesWithoutDeadObjectsStopTheProgram) {
    // The line goes to standard output; the child sends it to standard error, where
    // the death test reads it.
    EXPECT_EXIT(
        {
            dup2(2, 1);
            gc_free_bytes += 64;
            gc_flush_free(gc_free_bytes);
            std::exit(0);
        },
        testing::ExitedWithCode(kFailStatus), "ERROR:p=\\w+ gc_free_bytes=64");
}

TEST_F(Collector, ForgedAddressIsNotLive) {
    Node* n = new Node();
    EXPECT_TRUE(gc_is_live(n));
    EXPECT_FALSE(gc_is_live(reinterpret_cast<char*>(n) + 8));
    EXPECT_FALSE(gc_is_live(nullptr));
}

}  // namespace
