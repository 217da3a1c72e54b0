// collector_ours.cpp - the synthetic heap on our own collector: nodes, chunks and
// arrays are collected objects, every stored reference goes through the write
// barrier, texts are the runtime's strings, and gc_collect runs once at the end of
// every tick as the host's loop runs it after each update. Run by
// bench/collector/run.sh.
#include "bench/collector/workload.h"
#include "runtime/runtime.h"

namespace {

struct BenchNode : Object {
    BenchNode* left = nullptr;
    BenchNode* right = nullptr;
    int value = 0;

    void mark() override {
        gc_mark_q(left);
        gc_mark_q(right);
    }
};

struct BenchChunk : Object {
    Array<BenchNode*> nodes;

    void mark() override { gc_mark_q(nodes); }
};

struct BenchRoot : Object {
    Array<BenchChunk*> chunks;

    void mark() override { gc_mark_q(chunks); }
};

BenchRoot* root = nullptr;

void MarkRoot() { gc_mark_q(root); }

BenchNode*& NodeAt(int index) {
    return root->chunks[index / workload::kChunkNodes]->nodes[index % workload::kChunkNodes];
}

BenchNode* NewNode(int value) {
    BenchNode* n = new BenchNode();
    n->value = value;
    return n;
}

void BuildLiveSet(int chunkCount, workload::Lcg& rng) {
    gc_assign(root->chunks, Array<BenchChunk*>(chunkCount));
    for (int c = 0; c < chunkCount; ++c) {
        BenchChunk* chunk = new BenchChunk();
        gc_assign(chunk->nodes, Array<BenchNode*>(workload::kChunkNodes));
        for (int k = 0; k < workload::kChunkNodes; ++k) gc_assign(chunk->nodes[k], NewNode(k));
        gc_assign(root->chunks[c], chunk);
    }
    const int total = chunkCount * workload::kChunkNodes;
    for (int i = 0; i < total; ++i) {
        gc_assign(NodeAt(i)->left, NodeAt(rng.Below(total)));
        gc_assign(NodeAt(i)->right, NodeAt(rng.Below(total)));
    }
}

// One tick of the game's kind of work; what it allocates and drops is garbage by
// the end of the tick.
int Mutate(int tick, int total, workload::Lcg& rng) {
    int sink = 0;
    for (int i = 0; i < workload::kTickStrings; ++i) {
        String text = String("item-") + String(tick) + String("-") + String(i);
        sink += text.Length();
    }
    for (int i = 0; i < workload::kTickArrays; ++i) {
        Array<int> a(workload::kArrayInts);
        for (int k = 0; k < workload::kArrayInts; ++k) a[k] = tick + k;
        sink += a[workload::kArrayInts - 1];
    }
    for (int i = 0; i < workload::kTickObjects; ++i) sink += NewNode(i)->value;
    for (int i = 0; i < workload::kTickStores; ++i) {
        BenchNode* from = NodeAt(rng.Below(total));
        gc_assign(from->left, NodeAt(rng.Below(total)));
    }
    for (int i = 0; i < workload::kTickReplacements; ++i) {
        const int at = rng.Below(total);
        BenchNode* fresh = NewNode(tick);
        gc_assign(fresh->left, NodeAt(rng.Below(total)));
        gc_assign(NodeAt(at), fresh);
    }
    return sink;
}

}  // namespace

int main(int argc, char** argv) {
    const workload::Options opt = workload::ParseOptions(argc, argv);
    workload::Lcg rng(workload::kSeed);
    gc_init1();
    root = new BenchRoot();
    gc_root_marker = MarkRoot;
    gc_init2();
    const int chunkCount = workload::ChunkCount(opt);
    BuildLiveSet(chunkCount, rng);
    // The set-up allocated about 64 MiB without a sweep: one whole collection now,
    // so that the ticks measure the steady state (otherwise the first cycle would
    // pass the 64 MiB growth mark midway and finish as one whole collection).
    gc_force_sweep = true;
    gc_collect();
    const int total = chunkCount * workload::kChunkNodes;

    workload::Samples samples;  // throughput counts the ticks only
    long long sink = 0;
    for (int tick = 0; tick < opt.ticks; ++tick) {
        const auto tickStart = workload::Clock::now();
        sink += Mutate(tick, total, rng);
        // The CPU clock is read outside the wall-clock pause: reading it is a system call.
        const double cpuStart = workload::ThreadCpuMicros();
        const auto gcStart = workload::Clock::now();
        gc_collect();
        const double pause = workload::MicrosSince(gcStart);
        const double cpu = workload::ThreadCpuMicros() - cpuStart;
        samples.Add(pause, workload::MicrosSince(tickStart), cpu);
    }
    samples.Print();
    std::printf("# heap %d max %d check %lld\n", gc_alloced_bytes, gc_max_alloced_bytes, sink);
    return 0;
}
