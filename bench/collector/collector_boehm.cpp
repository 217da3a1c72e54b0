// collector_boehm.cpp - the synthetic heap on the Boehm collector: nodes and
// chunks from GC_MALLOC, texts and int arrays from GC_MALLOC_ATOMIC (no pointers
// in them), the live set held from a static root. Incremental mode is asked for;
// if the collector cannot run it here it stays in its default stop-the-world mode
// (the program prints which). It collects from inside allocation when its own
// pacing says so; the time it reports through its collection events (a whole
// collection, or the stopped world and the reclaim phase of an incremental one) is
// added to the tick in which it ran, and in incremental mode each tick also ends
// with a timed GC_collect_a_little, as an idle-time step. The small marking
// increments it makes inside allocation report no events: they count in the
// whole tick only.
// Run by bench/collector/run.sh.
#include <gc/gc.h>

#include <cstring>

#include "bench/collector/workload.h"

namespace {

struct Node {
    Node* left;
    Node* right;
    int value;
};

Node*** live = nullptr;  // chunks of kChunkNodes node pointers; a static root

workload::Clock::time_point collectionStart;
double collectorMicros = 0;  // time inside the collector since the last reset
int collectorDepth = 0;      // open event brackets
bool inTimedStep = false;    // inside the tick-end step, which is timed as a whole

// In incremental mode the collector reports no start and end of a collection,
// only the stopped world of its final mark and its reclaim phase; in the default
// mode a start and an end enclose both. Each outermost bracket is one stretch of
// time spent in the collector.
void OnCollectionEvent(GC_EventType event) {
    const bool opens = event == GC_EVENT_START || event == GC_EVENT_PRE_STOP_WORLD || event == GC_EVENT_RECLAIM_START;
    const bool closes = event == GC_EVENT_END || event == GC_EVENT_POST_START_WORLD || event == GC_EVENT_RECLAIM_END;
    if (opens && collectorDepth++ == 0) collectionStart = workload::Clock::now();
    if (closes && collectorDepth > 0 && --collectorDepth == 0 && !inTimedStep) {
        collectorMicros += workload::MicrosSince(collectionStart);
    }
}

Node*& NodeAt(int index) { return live[index / workload::kChunkNodes][index % workload::kChunkNodes]; }

Node* NewNode(int value) {
    Node* n = static_cast<Node*>(GC_MALLOC(sizeof(Node)));
    n->value = value;
    return n;
}

void BuildLiveSet(int chunkCount, workload::Lcg& rng) {
    live = static_cast<Node***>(GC_MALLOC(sizeof(Node**) * static_cast<size_t>(chunkCount)));
    for (int c = 0; c < chunkCount; ++c) {
        live[c] = static_cast<Node**>(GC_MALLOC(sizeof(Node*) * workload::kChunkNodes));
        for (int k = 0; k < workload::kChunkNodes; ++k) live[c][k] = NewNode(k);
    }
    const int total = chunkCount * workload::kChunkNodes;
    for (int i = 0; i < total; ++i) {
        NodeAt(i)->left = NodeAt(rng.Below(total));
        NodeAt(i)->right = NodeAt(rng.Below(total));
    }
}

long long Mutate(int tick, int total, workload::Lcg& rng) {
    long long sink = 0;
    constexpr int kTextBytes = 32;
    for (int i = 0; i < workload::kTickStrings; ++i) {
        char* text = static_cast<char*>(GC_MALLOC_ATOMIC(kTextBytes));
        std::snprintf(text, kTextBytes, "item-%d-%d", tick, i);
        sink += static_cast<long long>(std::strlen(text));
    }
    for (int i = 0; i < workload::kTickArrays; ++i) {
        int* a = static_cast<int*>(GC_MALLOC_ATOMIC(sizeof(int) * workload::kArrayInts));
        for (int k = 0; k < workload::kArrayInts; ++k) a[k] = tick + k;
        sink += a[workload::kArrayInts - 1];
    }
    for (int i = 0; i < workload::kTickObjects; ++i) sink += NewNode(i)->value;
    for (int i = 0; i < workload::kTickStores; ++i) {
        Node* from = NodeAt(rng.Below(total));
        from->left = NodeAt(rng.Below(total));
    }
    for (int i = 0; i < workload::kTickReplacements; ++i) {
        const int at = rng.Below(total);
        Node* fresh = NewNode(tick);
        fresh->left = NodeAt(rng.Below(total));
        NodeAt(at) = fresh;
    }
    return sink;
}

}  // namespace

int main(int argc, char** argv) {
    const workload::Options opt = workload::ParseOptions(argc, argv);
    workload::Lcg rng(workload::kSeed);
    GC_INIT();
    GC_enable_incremental();
    const bool incremental = GC_is_incremental_mode() != 0;
    GC_add_roots(&live, &live + 1);
    GC_set_on_collection_event(OnCollectionEvent);
    const int chunkCount = workload::ChunkCount(opt);
    BuildLiveSet(chunkCount, rng);
    GC_gcollect();
    const int total = chunkCount * workload::kChunkNodes;

    workload::Samples samples;
    long long sink = 0;
    for (int tick = 0; tick < opt.ticks; ++tick) {
        const auto tickStart = workload::Clock::now();
        collectorMicros = 0;
        sink += Mutate(tick, total, rng);
        if (incremental) {
            inTimedStep = true;
            const auto stepStart = workload::Clock::now();
            GC_collect_a_little();
            collectorMicros += workload::MicrosSince(stepStart);
            inTimedStep = false;
        }
        samples.Add(collectorMicros, workload::MicrosSince(tickStart));
    }
    samples.Print();
    std::printf("# mode %s heap %zu collections %lu check %lld\n", incremental ? "incremental" : "stop-the-world",
                GC_get_heap_size(), static_cast<unsigned long>(GC_get_gc_no()), sink);
    return 0;
}
