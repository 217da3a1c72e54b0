// The collector under a mutator that keeps moving references while large arrays
// are traced in pieces, or while a long grey queue is traced, and cycles end in
// sweeps: no object still reachable may ever be destroyed, and the unreachable
// ones must be.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/runtime.h"

namespace {

// Destroyed nodes are recorded by id, so liveness is checked without touching a
// node that may be freed.
std::vector<bool> destroyed;

struct Cell : Object {
    int id;
    Cell* next = nullptr;
    explicit Cell(int i) : id(i) {
        if (static_cast<int>(destroyed.size()) <= i) destroyed.resize(i + 1, false);
    }
    ~Cell() override { destroyed[id] = true; }
    void mark() override { gc_mark_q(next); }
};

struct Holder : Object {
    Array<Cell*> cells;
    void mark() override { gc_mark_q(cells); }
};

Holder* holder = nullptr;
void mark_holder() { gc_mark_q(holder); }

// Numerical Recipes' LCG: the same run every time.
struct Lcg {
    unsigned state = 1234u;
    int Below(int n) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((static_cast<unsigned long long>(state) * static_cast<unsigned>(n)) >> 32);
    }
};

TEST(CollectorStress, NothingReachableIsFreedWhileArraysAreTracedInPiecesAcrossSweeps) {
    constexpr int kCells = 20000;  // about eight steps of pieces per cycle
    constexpr int kTicks = 600;
    gc_root_marker = mark_holder;
    holder = nullptr;
    gc_assign(holder, new Holder());
    gc_assign(holder->cells, Array<Cell*>(kCells));
    int nextId = 0;
    // Each slot's cell id as the mutator believes it, -1 when empty; a cell that
    // hangs off another through `next` is reachable too.
    std::vector<int> slotId(kCells, -1), chainId(kCells, -1);
    for (int i = 0; i < kCells; ++i) {
        gc_assign(holder->cells[i], new Cell(nextId));
        slotId[i] = nextId++;
    }

    Lcg rng;
    int sweeps = 0;
    int stepsWithHalfTracedArray = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        for (int k = 0; k < 40; ++k) {
            // Move a cell from a random slot (often one the trace has not reached)
            // to another (often one already traced) and empty the first: only the
            // barrier keeps the moved cell alive.
            int from = rng.Below(kCells), to = rng.Below(kCells);
            if (from == to) continue;
            gc_assign(holder->cells[to], holder->cells[from]);
            holder->cells[from] = nullptr;
            slotId[to] = slotId[from];
            chainId[to] = chainId[from];
            slotId[from] = chainId[from] = -1;
        }
        for (int k = 0; k < 20; ++k) {
            // A new cell in a random slot, and one chained behind a random cell.
            int at = rng.Below(kCells);
            gc_assign(holder->cells[at], new Cell(nextId));
            slotId[at] = nextId++;
            chainId[at] = -1;
            int behind = rng.Below(kCells);
            if (Cell* c = holder->cells[behind]) {
                gc_assign(c->next, new Cell(nextId));
                chainId[behind] = nextId++;
            }
        }
        // 1 MiB a tick: a sweep is due within a few steps, while the cells' array is
        // still half traced, and it destroys what it frees at the next allocation.
        Array<int> garbage(256 * 1024);
        garbage[0] = tick;

        int markbit = gc_markbit;
        int markedBefore = gc_marked_objs;
        gc_collect();
        if (gc_markbit != markbit) ++sweeps;
        if (gc_markbit == markbit && gc_marked_objs > markedBefore && gc_marked_objs < kCells) {
            ++stepsWithHalfTracedArray;
        }
        for (int i = 0; i < kCells; ++i) {
            if (slotId[i] >= 0) {
                ASSERT_FALSE(destroyed[slotId[i]]) << "cell " << slotId[i] << " at tick " << tick;
            }
            if (chainId[i] >= 0) {
                ASSERT_FALSE(destroyed[chainId[i]]) << "chained cell " << chainId[i] << " at tick " << tick;
            }
        }
    }
    // The run really crossed sweeps with the array half traced, and really freed.
    EXPECT_GE(sweeps, 20);
    EXPECT_GE(stepsWithHalfTracedArray, 20);
    int freed = 0;
    for (bool d : destroyed) freed += d;
    EXPECT_GT(freed, kTicks * 20);

    holder = nullptr;
    gc_root_marker = nullptr;
    for (int i = 0; i < 3; ++i) {
        new Object();
        gc_force_sweep = true;
        gc_collect();
    }
}

// A graph reached only through references between its nodes, so that the grey
// queue grows long (about half the graph at once) and steps trace it from the
// queue rather than from an array.
std::vector<bool> forkDestroyed;

struct Fork : Object {
    int id;
    Fork* left = nullptr;
    Fork* right = nullptr;
    explicit Fork(int i) : id(i) {
        if (static_cast<int>(forkDestroyed.size()) <= i) forkDestroyed.resize(i + 1, false);
    }
    ~Fork() override { forkDestroyed[id] = true; }
    void mark() override {
        gc_mark_q(left);
        gc_mark_q(right);
    }
};

Fork* forkRoot = nullptr;
void mark_fork_root() { gc_mark_q(forkRoot); }

// The forks reachable from the root in the mutator's own model of the links.
std::vector<int> ReachableIds(const std::vector<int>& left, const std::vector<int>& right) {
    std::vector<int> found{0}, stack{0};
    std::vector<bool> seen(left.size(), false);
    seen[0] = true;
    while (!stack.empty()) {
        int id = stack.back();
        stack.pop_back();
        for (int next : {left[id], right[id]}) {
            if (next < 0 || seen[next]) continue;
            seen[next] = true;
            found.push_back(next);
            stack.push_back(next);
        }
    }
    return found;
}

TEST(CollectorStress, ALongGreyQueueTracedStepByStepKeepsExactlyWhatIsReachable) {
    constexpr int kForks = 40000;
    constexpr int kTicks = 240;
    gc_root_marker = mark_fork_root;
    forkDestroyed.clear();
    std::vector<Fork*> forks;  // by id; only reachable ones are ever touched
    std::vector<int> left, right;
    auto add = [&]() {
        forks.push_back(new Fork(static_cast<int>(forks.size())));
        left.push_back(-1);
        right.push_back(-1);
        return forks.back();
    };
    auto link = [&](int from, bool toLeft, int to) {
        gc_assign(toLeft ? forks[from]->left : forks[from]->right, to < 0 ? nullptr : forks[to]);
        (toLeft ? left : right)[from] = to;
    };
    for (int i = 0; i < kForks; ++i) add();
    gc_assign(forkRoot, forks[0]);
    for (int i = 0; 2 * i + 2 < kForks; ++i) {  // a complete binary tree, breadth first
        link(i, true, 2 * i + 1);
        link(i, false, 2 * i + 2);
    }

    Lcg rng;
    int sweeps = 0, longestQueue = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        std::vector<int> live = ReachableIds(left, right);
        for (int id : live) ASSERT_FALSE(forkDestroyed[id]) << "fork " << id << " at tick " << tick;
        auto anyLive = [&]() { return live[rng.Below(static_cast<int>(live.size()))]; };
        auto anyLeaf = [&]() { return kForks / 2 + rng.Below(kForks / 2); };
        for (int k = 0; k < 60; ++k) {
            // Only the leaves' links change, so the tree stays and the queue long.
            // A leaf's left moves between live forks, often to one already traced;
            // a new fork replaces a leaf's right, cutting off the one before it.
            link(anyLeaf(), true, k % 3 == 0 ? -1 : anyLive());
            Fork* fresh = add();
            link(fresh->id, true, anyLive());
            link(anyLeaf(), false, fresh->id);
        }
        Array<int> garbage(128 * 1024);  // half a MiB a tick: a sweep every few cycles' worth of steps
        garbage[0] = tick;
        int markbit = gc_markbit;
        gc_collect();
        if (gc_markbit != markbit) ++sweeps;
        int queued = gc_list_count(gc_queued_list);
        if (queued > longestQueue) longestQueue = queued;
    }

    // Two forced collections end the cycle under way and the next one, destroying
    // everything cut off; what the model still reaches must all be alive.
    for (int i = 0; i < 2; ++i) {
        gc_force_sweep = true;
        gc_collect();
    }
    std::vector<bool> reachable(forks.size(), false);
    for (int id : ReachableIds(left, right)) reachable[id] = true;
    int wrong = 0;
    for (std::size_t id = 0; id < forks.size(); ++id) wrong += reachable[id] == forkDestroyed[id];
    EXPECT_EQ(wrong, 0) << "forks destroyed while reachable, or kept while not";
    EXPECT_GE(sweeps, 3);
    EXPECT_GT(longestQueue, kForks / 4);

    forkRoot = nullptr;
    gc_root_marker = nullptr;
    for (int i = 0; i < 3; ++i) {
        new Object();
        gc_force_sweep = true;
        gc_collect();
    }
}

}  // namespace
