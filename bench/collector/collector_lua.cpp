// collector_lua.cpp - the synthetic heap on Lua 5.4 through its C API: nodes are
// tables {left, right, value}, chunks are array tables of 256 nodes, texts are Lua
// strings, arrays are array tables. The collector keeps its default parameters and
// incremental mode; its automatic steps are held back while a tick runs and the
// tick ends with lua_gc(LUA_GCSTEP, kb), kb being what the tick allocated, which
// is the work Lua's own pacing does for that much allocation, done where it can be
// timed. Run by bench/collector/run.sh.
#include <lua.hpp>

#include "bench/collector/workload.h"

namespace {

constexpr int kLiveIndex = 1;  // stack slot of the live-set table for the whole run

long long HeapBytes(lua_State* L) {
    return static_cast<long long>(lua_gc(L, LUA_GCCOUNT)) * 1024 + lua_gc(L, LUA_GCCOUNTB);
}

void NewNode(lua_State* L, int value) {
    lua_createtable(L, 0, 3);
    lua_pushinteger(L, value);
    lua_setfield(L, -2, "value");
}

// Pushes live node number `index`.
void PushNode(lua_State* L, int index) {
    lua_rawgeti(L, kLiveIndex, index / workload::kChunkNodes + 1);
    lua_rawgeti(L, -1, index % workload::kChunkNodes + 1);
    lua_remove(L, -2);
}

// node[field] = live node `target`; the node is on top of the stack.
void LinkTo(lua_State* L, const char* field, int target) {
    PushNode(L, target);
    lua_setfield(L, -2, field);
}

void BuildLiveSet(lua_State* L, int chunkCount, workload::Lcg& rng) {
    lua_createtable(L, chunkCount, 0);
    for (int c = 0; c < chunkCount; ++c) {
        lua_createtable(L, workload::kChunkNodes, 0);
        for (int k = 0; k < workload::kChunkNodes; ++k) {
            NewNode(L, k);
            lua_rawseti(L, -2, k + 1);
        }
        lua_rawseti(L, -2, c + 1);
    }
    const int total = chunkCount * workload::kChunkNodes;
    for (int i = 0; i < total; ++i) {
        PushNode(L, i);
        LinkTo(L, "left", rng.Below(total));
        LinkTo(L, "right", rng.Below(total));
        lua_pop(L, 1);
    }
}

long long Mutate(lua_State* L, int tick, int total, workload::Lcg& rng) {
    long long sink = 0;
    for (int i = 0; i < workload::kTickStrings; ++i) {
        size_t length = 0;
        lua_pushfstring(L, "item-%d-%d", tick, i);
        lua_tolstring(L, -1, &length);
        sink += static_cast<long long>(length);
        lua_pop(L, 1);
    }
    for (int i = 0; i < workload::kTickArrays; ++i) {
        lua_createtable(L, workload::kArrayInts, 0);
        for (int k = 0; k < workload::kArrayInts; ++k) {
            lua_pushinteger(L, tick + k);
            lua_rawseti(L, -2, k + 1);
        }
        sink += lua_rawlen(L, -1);
        lua_pop(L, 1);
    }
    for (int i = 0; i < workload::kTickObjects; ++i) {
        NewNode(L, i);
        lua_pop(L, 1);
    }
    for (int i = 0; i < workload::kTickStores; ++i) {
        PushNode(L, rng.Below(total));
        LinkTo(L, "left", rng.Below(total));
        lua_pop(L, 1);
    }
    for (int i = 0; i < workload::kTickReplacements; ++i) {
        const int at = rng.Below(total);
        NewNode(L, tick);
        LinkTo(L, "left", rng.Below(total));
        lua_rawgeti(L, kLiveIndex, at / workload::kChunkNodes + 1);
        lua_insert(L, -2);
        lua_rawseti(L, -2, at % workload::kChunkNodes + 1);
        lua_pop(L, 1);
    }
    return sink;
}

}  // namespace

int main(int argc, char** argv) {
    const workload::Options opt = workload::ParseOptions(argc, argv);
    workload::Lcg rng(workload::kSeed);
    lua_State* L = luaL_newstate();
    lua_gc(L, LUA_GCINC, 0, 0, 0);  // incremental mode, default pause, step multiplier and size
    const int chunkCount = workload::ChunkCount(opt);
    BuildLiveSet(L, chunkCount, rng);
    lua_gc(L, LUA_GCCOLLECT);
    lua_gc(L, LUA_GCSTOP);
    const int total = chunkCount * workload::kChunkNodes;

    workload::Samples samples;
    long long sink = 0;
    for (int tick = 0; tick < opt.ticks; ++tick) {
        const auto tickStart = workload::Clock::now();
        const long long before = HeapBytes(L);
        sink += Mutate(L, tick, total, rng);
        const long long allocatedKb = (HeapBytes(L) - before + 1023) / 1024;
        const auto gcStart = workload::Clock::now();
        lua_gc(L, LUA_GCSTEP, static_cast<int>(allocatedKb > 0 ? allocatedKb : 1));
        samples.Add(workload::MicrosSince(gcStart), workload::MicrosSince(tickStart));
    }
    samples.Print();
    std::printf("# heap %lld check %lld\n", HeapBytes(L), sink);
    // No lua_close: freeing a heap of a million tables one by one would only add
    // seconds to the run; the process ends here anyway.
    return 0;
}
