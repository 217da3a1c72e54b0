// collector.cpp - the incremental, non-moving mark-and-sweep collector that owns
// every collected object, and the Object root class.
//
// The host calls gc_collect() after every callback (create, update, render,
// suspend, resume), at moments when no reference lives anywhere but in objects and
// globals; references held in locals therefore never need tracing.
//
// Sections:
//   - state: colour, the four lists, counters, the small-block cache
//   - list helpers
//   - fetching ahead while a step traces: the record of the queue's order and
//     the two stages references pass through on their way to the queue
//   - allocation and lazy destruction: gc_malloc, gc_free, gc_flush_free
//   - barrier and marking: gc_mark_q, gc_mark, gc_mark_array, roots, the pieces
//     of large arrays
//   - collection: gc_collect
//   - inspection: gc_is_live, gc_list_count
//   - Object

#include "runtime/runtime.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

int gc_markbit = 0;

gc_object gc_unmarked_list{gc_object::static_tag{}};
gc_object gc_queued_list{gc_object::static_tag{}};
gc_object gc_marked_list{gc_object::static_tag{}};
gc_object gc_free_list{gc_object::static_tag{}};

int gc_alloced_bytes = 0;
int gc_max_alloced_bytes = 0;
int gc_marked_bytes = 0;
int gc_marked_objs = 0;
int gc_free_bytes = 0;
bool gc_force_sweep = false;

void (*gc_root_marker)() = nullptr;

namespace {

constexpr int kColourMask = 3;
constexpr int kSizeMask = ~7;

// Heads of the recycled-block lists, indexed by block size / 8 (1 to 7 used).
gc_object* gc_cache[8] = {};

// gc_alloced_bytes right after the last sweep.
int last_alloced = 0;

// Size of the block gc_malloc handed out last, waiting for its object's header
// constructor (gc_adopt) to take it.
int pending_size = 0;

// The list heads must be usable before any static constructor of another file
// allocates, and before main calls gc_init1.
struct ListsAtStartup {
    ListsAtStartup() { gc_init1(); }
} lists_at_startup;

// ---------------------------------------------------------------------------
// List helpers
// ---------------------------------------------------------------------------

inline int block_size(const gc_object* p) { return p->flags & kSizeMask; }
inline bool is_white(const gc_object* p) { return (p->flags & kColourMask) == gc_markbit; }

inline void make_empty(gc_object& head) { head.succ = head.pred = &head; }

inline void unlink(gc_object* p) {
    p->pred->succ = p->succ;
    p->succ->pred = p->pred;
}

inline void append(gc_object& head, gc_object* p) {
    p->succ = &head;
    p->pred = head.pred;
    head.pred->succ = p;
    head.pred = p;
}

// Moves every object of `from` to the end of `to`, leaving `from` empty.
void move_all(gc_object& from, gc_object& to) {
    if (from.succ == &from) return;
    gc_object* first = from.succ;
    gc_object* last = from.pred;
    first->pred = to.pred;
    to.pred->succ = first;
    last->succ = &to;
    to.pred = last;
    make_empty(from);
}

// Large arrays of references are traced in pieces so that no step's length
// follows an array's length. `tracing` is the object whose mark() a step runs
// from the queue (only its own array is cut into pieces; arrays marked at once
// from inside it are traced whole); `partial` is the array a step left half
// traced, already black, and `partial_next` the first element still to trace.
gc_object* tracing = nullptr;
gc_object* partial = nullptr;
int partial_next = 0;

// Elements a step may visit, traced or not: a step over an array of already
// black elements marks nothing, so the object budget alone would not stop it.
constexpr int kGcStepElements = 4 * kGcStepObjects;
int step_elements = 0;

// The one marking routine: a grey object (its colour already flipped) becomes
// black and its references are traced now.
void trace(gc_object* p) {
    unlink(p);
    append(gc_marked_list, p);
    gc_marked_bytes += block_size(p);
    gc_marked_objs += 1;
    p->mark();
}

// The queue's objects in order, kept beside the list so that a step can fetch the
// grey objects it traces next: walking the list itself is one miss per object,
// each waiting on the last. Only a hint: an object the record lacks or holds out of
// date is traced all the same, merely not fetched early. A ring of a power-of-two
// size that never grows while it holds anything (a copy would be a pause of its
// own): when full, objects go unrecorded, and the next time the queue is empty
// the ring is made as big as the queue has been since.
class QueueOrder {
public:
    // An object joins the end of the queue.
    void push(gc_object* p) {
        if (++length_ > peak_) peak_ = length_;
        if (count_ == capacity_) return;
        ring_[(first_ + count_) & (capacity_ - 1)] = p;
        ++count_;
    }
    // The queue's first object leaves it.
    void took(const gc_object* p) {
        if (length_ > 0) --length_;
        if (count_ == 0 || ring_[first_] != p) return;
        first_ = (first_ + 1) & (capacity_ - 1);
        --count_;
    }
    // The object n places behind the queue's first, if recorded.
    gc_object* ahead(std::size_t n) const { return n < count_ ? ring_[(first_ + n) & (capacity_ - 1)] : nullptr; }
    // The queue is empty: nothing recorded is still queued.
    void restart() {
        first_ = count_ = length_ = 0;
        if (peak_ > capacity_) {
            std::size_t size = 1024;
            while (size < peak_) size *= 2;
            ring_.reset(new gc_object*[size]);
            capacity_ = size;
        }
        peak_ = 0;
    }

private:
    std::unique_ptr<gc_object*[]> ring_;
    std::size_t capacity_ = 0, first_ = 0, count_ = 0;
    std::size_t length_ = 0, peak_ = 0;  // of the queue, recorded or not
};

QueueOrder queue_order;

// A grey object (its colour already flipped) leaves its list for the end of the
// queue.
void enqueue(gc_object* p) {
    unlink(p);
    append(gc_queued_list, p);
    queue_order.push(p);
}

// The queue's first object, about to be traced; the one kGcFetchAhead places
// behind it is fetched.
gc_object* take_first_grey() {
    gc_object* p = gc_queued_list.succ;
    queue_order.took(p);
    __builtin_prefetch(queue_order.ahead(kGcFetchAhead), 1);
    return p;
}

// Prefetching while a step traces. A big heap of randomly linked objects does not
// fit the caches, so nearly every header a step reads and every list neighbour it
// relinks is a miss, and a step's length is mostly those misses taken one after
// another. Each stage below fetches what a later one touches, so that several
// misses are in flight at once; none changes what is marked or in which order.

// A short FIFO of objects waiting for their memory to arrive.
struct Stage {
    gc_object* item[kGcFetchAhead];
    int first = 0, count = 0;

    bool full() const { return count == kGcFetchAhead; }
    bool empty() const { return count == 0; }
    void push(gc_object* p) {
        item[(first + count) % kGcFetchAhead] = p;
        ++count;
    }
    gc_object* pop() {
        gc_object* p = item[first];
        first = (first + 1) % kGcFetchAhead;
        --count;
        return p;
    }
    bool holds(const gc_object* p) const {
        for (int i = 0; i < count; ++i) {
            if (item[(first + i) % kGcFetchAhead] == p) return true;
        }
        return false;
    }
};

// While a step traces, the references mark() queues pass through two stages:
// `fetching`, references whose header (colour) is being fetched; leaving it, a
// white one turns grey and its list neighbours are fetched; `moving`, grey
// objects waiting to leave the unmarked list for the end of the queue. Both keep
// the order mark() gave, and they are drained before the queue is found empty and
// when the step ends, so each step leaves the lists exactly as if every reference
// had been queued at once. Outside a step (the barrier, the roots) queueing is
// immediate.
bool pipelining = false;
Stage fetching;
Stage moving;

void move_stage_in(gc_object* p) {
    if (moving.full()) enqueue(moving.pop());
    moving.push(p);
}

void fetched(gc_object* p) {
    if (!is_white(p)) return;  // traced, queued or static already
    p->flags ^= 1;
    __builtin_prefetch(p->pred, 1);
    __builtin_prefetch(p->succ, 1);
    move_stage_in(p);
}

void fetch_stage_in(gc_object* p) {
    __builtin_prefetch(p, 1);
    if (fetching.full()) fetched(fetching.pop());
    fetching.push(p);
}

void drain_stages() {
    while (!fetching.empty()) fetched(fetching.pop());
    while (!moving.empty()) enqueue(moving.pop());
}

}  // namespace

// gc_free runs from operator delete, after the object's destructors: the block is
// raw memory by then, so its header words are read and written as plain data, at
// the offsets they have in a live header.
namespace {

std::ptrdiff_t header_offset(const void* field) {
    return static_cast<const char*>(field) - reinterpret_cast<const char*>(&gc_free_list);
}

int raw_block_size(const void* block) {
    int flags;
    std::memcpy(&flags, static_cast<const char*>(block) + header_offset(&gc_free_list.flags), sizeof flags);
    return flags & kSizeMask;
}

void raw_set_succ(void* block, gc_object* succ) {
    std::memcpy(static_cast<char*>(block) + header_offset(&gc_free_list.succ), &succ, sizeof succ);
}

}  // namespace

void* gc_object::operator new(std::size_t size) { return gc_malloc(static_cast<int>(size)); }
void gc_object::operator delete(void* p) { gc_free(static_cast<gc_object*>(p)); }

void gc_init1() {
    partial = nullptr;  // an array half traced in lists now dropped
    queue_order.restart();
    make_empty(gc_unmarked_list);
    make_empty(gc_queued_list);
    make_empty(gc_marked_list);
    make_empty(gc_free_list);
}

void gc_init2() { gc_mark(); }

// ---------------------------------------------------------------------------
// Allocation and lazy destruction
// ---------------------------------------------------------------------------

void* gc_malloc(int size) {
    size = (size + 7) & kSizeMask;
    // Dead objects are destroyed a few bytes' worth at a time, here, so the cost of
    // destruction is spread over later allocations.
    gc_flush_free(size);

    gc_object* p = nullptr;
    if (size <= kGcCachedMax && gc_cache[size / 8]) {
        p = gc_cache[size / 8];
        std::memcpy(&gc_cache[size / 8], reinterpret_cast<char*>(p) + header_offset(&gc_free_list.succ),
                    sizeof(gc_object*));
    } else {
        p = static_cast<gc_object*>(std::malloc(size));
    }
    pending_size = size;

    gc_alloced_bytes += size;
    if (gc_alloced_bytes > gc_max_alloced_bytes) gc_max_alloced_bytes = gc_alloced_bytes;
    return p;
}

// Called by the header's constructor, right after gc_malloc: the new object is white.
void gc_adopt(gc_object* p) {
    p->flags = pending_size | gc_markbit;
    pending_size = 0;
    append(gc_unmarked_list, p);
}


void gc_free(gc_object* p) {
    int size = raw_block_size(p);
    gc_free_bytes -= size;
    if (size <= kGcCachedMax) {
        raw_set_succ(p, gc_cache[size / 8]);
        gc_cache[size / 8] = p;
    } else {
        std::free(p);
    }
}

void gc_flush_free(int size) {
    int target = gc_free_bytes - size;
    if (target < 0) target = 0;
    while (gc_free_bytes > target) {
        gc_object* p = gc_free_list.succ;
        if (p == &gc_free_list) {
            // The count of dead bytes no longer matches the list: the heap's
            // bookkeeping is broken, and going on would free or keep the wrong blocks.
            char line[96];
            std::snprintf(line, sizeof line, "ERROR:p=%p gc_free_bytes=%i", static_cast<void*>(p), gc_free_bytes);
            fail(line);
        }
        unlink(p);
        delete p;  // the deleting destructor hands the block to gc_free
    }
}

// ---------------------------------------------------------------------------
// Barrier and marking
// ---------------------------------------------------------------------------

void gc_mark_q(gc_object* p) {
    if (!p) return;
    if (pipelining) {
        fetch_stage_in(p);
        return;
    }
    if (!is_white(p)) return;
    p->flags ^= 1;
    enqueue(p);
}

void gc_mark(gc_object* p) {
    if (!p || !is_white(p)) return;
    // A reference still in the fetch stage counts as queued already, as it would
    // have been had mark() queued it at once.
    if (pipelining && fetching.holds(p)) return;
    p->flags ^= 1;
    trace(p);
}

void gc_fetch(const gc_object* p) { __builtin_prefetch(p, 1); }

void gc_fetch_links(const gc_object* p) {
    if (!p || !is_white(p)) return;
    __builtin_prefetch(p->pred, 1);
    __builtin_prefetch(p->succ, 1);
}

void gc_mark_array(int count, gc_object* const* elements) {
    for (int i = 0; i < count; ++i) gc_mark(elements[i]);
}

gc_piece gc_array_piece(gc_object* owner, int count) {
    if (owner != tracing) return {0, count};
    int from = owner == partial ? partial_next : 0;
    int to = count - from > kGcArrayPiece ? from + kGcArrayPiece : count;
    partial = to < count ? owner : nullptr;
    partial_next = to;
    step_elements += to - from;
    return {from, to};
}

void gc_mark() {
    if (gc_root_marker) gc_root_marker();
}

// ---------------------------------------------------------------------------
// Collection
// ---------------------------------------------------------------------------

namespace {

// Marking is over when nothing is grey and no array is half traced.
bool marking_done() { return gc_queued_list.succ == &gc_queued_list && !partial; }

// Traces grey objects, finishing a half traced array first, until marking is
// over or the step's budget (`budget` objects marked, `elements` array elements
// visited) is spent.
void trace_queue(int budget, int elements) {
    step_elements = 0;
    pipelining = true;
    while (gc_marked_objs < budget && step_elements < elements) {
        if (marking_done()) {
            drain_stages();
            if (marking_done()) {
                queue_order.restart();
                break;
            }
        }
        gc_object* p = partial;
        if (p) {
            tracing = p;
            p->mark();  // its next piece; the array itself is black already
        } else {
            p = take_first_grey();
            tracing = p;
            trace(p);
        }
        tracing = nullptr;
    }
    drain_stages();
    pipelining = false;
}

// Every reachable object is black: the white ones are dead. Survivors are not
// touched; flipping the mark bit turns them all white for the next cycle.
void sweep() {
    move_all(gc_unmarked_list, gc_free_list);
    move_all(gc_marked_list, gc_unmarked_list);
    gc_free_bytes += gc_alloced_bytes - gc_marked_bytes;
    gc_alloced_bytes = gc_marked_bytes;
    gc_marked_bytes = 0;
    gc_marked_objs = 0;
    gc_markbit ^= 1;
    gc_mark();
}

}  // namespace

void gc_collect() {
    int growth = gc_alloced_bytes - last_alloced;
    bool full = gc_force_sweep || growth > kGcFullGrowth;

    if (full) {
        trace_queue(INT_MAX, INT_MAX);
    } else {
        trace_queue(gc_marked_objs + kGcStepObjects, kGcStepElements);
    }

    if (marking_done() && (growth > kGcSweepGrowth || full) && gc_unmarked_list.succ != &gc_unmarked_list) {
        sweep();
        last_alloced = gc_alloced_bytes;
    }

    if (gc_force_sweep) {
        gc_flush_free(gc_free_bytes);
        gc_force_sweep = false;
    }
}

// ---------------------------------------------------------------------------
// Inspection
// ---------------------------------------------------------------------------

namespace {

bool on_list(const gc_object& head, const void* p) {
    for (const gc_object* q = head.succ; q != &head; q = q->succ) {
        if (q == p) return true;
    }
    return false;
}

}  // namespace

bool gc_is_live(const void* p) {
    if (!p) return false;
    return on_list(gc_unmarked_list, p) || on_list(gc_queued_list, p) || on_list(gc_marked_list, p);
}

int gc_list_count(const gc_object& head) {
    int n = 0;
    for (const gc_object* q = head.succ; q != &head; q = q->succ) ++n;
    return n;
}

// ---------------------------------------------------------------------------
// Object
// ---------------------------------------------------------------------------

bool Object::Equals(Object* other) { return other == this; }

// The order of the addresses: their difference does not fit an int on a 64-bit
// heap, and a truncated one can be 0 or of the wrong sign.
int Object::Compare(Object* other) {
    std::uintptr_t self = reinterpret_cast<std::uintptr_t>(this);
    std::uintptr_t that = reinterpret_cast<std::uintptr_t>(other);
    return self < that ? -1 : (self > that ? 1 : 0);
}

String Object::debug() { return String("+Object\n"); }
