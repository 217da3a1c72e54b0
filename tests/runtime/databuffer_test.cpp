// databuffer_test.cpp - tests of KXDataBuffer (block ownership, typed peeks and
// pokes at any alignment) and KXThread (start, restart, wait, destruction). Both
// are collected objects: tests create them with new and leave them to the
// collector, which is made to destroy them where destruction is the point.
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

// Destroys every unreachable object now. A forced collection sweeps only what the
// previous cycle left white, and a cycle with nothing white does not sweep, so it
// takes two, each with a fresh white object.
void DestroyGarbage() {
    for (int i = 0; i < 2; ++i) {
        new Object();
        gc_force_sweep = true;
        gc_collect();
    }
}

// ---------------------------------------------------------------------------
// KXDataBuffer
// ---------------------------------------------------------------------------

TEST(DataBuffer, NewRefusesWhileABlockIsHeld) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    EXPECT_EQ(buffer.Length(), 0);
    ASSERT_TRUE(buffer._New(16));
    EXPECT_EQ(buffer.Length(), 16);
    unsigned char* block = buffer.data;
    ASSERT_NE(block, nullptr);
    buffer.PokeInt(0, 0x12345678);

    EXPECT_FALSE(buffer._New(64));
    EXPECT_EQ(buffer.data, block);
    EXPECT_EQ(buffer.Length(), 16);
    EXPECT_EQ(buffer.PeekInt(0), 0x12345678);

    buffer.Discard();
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_EQ(buffer.Length(), 0);
    buffer.Discard();  // discarding an empty buffer is harmless
    ASSERT_TRUE(buffer._New(64));
    EXPECT_EQ(buffer.Length(), 64);
    EXPECT_NE(buffer.data, nullptr);
}

TEST(DataBuffer, NewRejectsNegativeSizeAndHoldsZeroSizedBlock) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    EXPECT_FALSE(buffer._New(-1));
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_EQ(buffer.Length(), 0);

    EXPECT_TRUE(buffer._New(0));
    EXPECT_NE(buffer.data, nullptr);
    EXPECT_EQ(buffer.Length(), 0);
    EXPECT_FALSE(buffer._New(8));
}

TEST(DataBuffer, PeeksSignExtend) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    ASSERT_TRUE(buffer._New(8));
    buffer.PokeByte(0, 0x80);
    buffer.PokeByte(1, 0xFF);
    buffer.PokeByte(2, 0x7F);
    EXPECT_EQ(buffer.PeekByte(0), -128);
    EXPECT_EQ(buffer.PeekByte(1), -1);
    EXPECT_EQ(buffer.PeekByte(2), 127);
    EXPECT_EQ(buffer.PeekShort(1), 32767);  // 0xFF 0x7F, low byte first
    EXPECT_EQ(buffer.PeekShort(0), -128);   // 0x80 0xFF

    buffer.PokeShort(4, 0x8001);
    EXPECT_EQ(buffer.PeekShort(4), -32767);
}

TEST(DataBuffer, PokesStoreOnlyTheirLowBitsInLittleEndianOrder) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    ASSERT_TRUE(buffer._New(8));
    std::memset(buffer.data, 0xEE, 8);

    buffer.PokeByte(0, 0x1234);
    EXPECT_EQ(buffer.data[0], 0x34);
    EXPECT_EQ(buffer.data[1], 0xEE);

    buffer.PokeShort(2, 0x7ABCD);
    EXPECT_EQ(buffer.data[2], 0xCD);
    EXPECT_EQ(buffer.data[3], 0xAB);
    EXPECT_EQ(buffer.data[4], 0xEE);

    buffer.PokeInt(4, -2);
    const unsigned char expected[4] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(buffer.data + 4, expected, 4), 0);
}

TEST(DataBuffer, EveryWidthWorksAtEveryAlignment) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    ASSERT_TRUE(buffer._New(16));
    for (int offset = 0; offset < 4; ++offset) {
        SCOPED_TRACE(offset);
        std::memset(buffer.data, 0, 16);
        buffer.PokeInt(offset, -123456789);
        EXPECT_EQ(buffer.PeekInt(offset), -123456789);
        buffer.PokeFloat(offset + 5, -2.75f);
        EXPECT_EQ(buffer.PeekFloat(offset + 5), -2.75f);
        EXPECT_EQ(buffer.PeekInt(offset), -123456789);  // neighbours untouched
        buffer.PokeShort(offset + 10, -300);
        EXPECT_EQ(buffer.PeekShort(offset + 10), -300);
        buffer.PokeByte(offset + 12, 200);
        EXPECT_EQ(buffer.PeekByte(offset + 12), 200 - 256);
    }
    // A float's bytes are its IEEE bits, least significant first.
    buffer.PokeFloat(1, 1.0f);
    const unsigned char one[4] = {0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(std::memcmp(buffer.data + 1, one, 4), 0);
}

TEST(DataBuffer, PointersAddressTheBlock) {
    KXDataBuffer& buffer = *new KXDataBuffer;
    ASSERT_TRUE(buffer._New(8));
    EXPECT_EQ(buffer.ReadPointer(3), buffer.data + 3);
    EXPECT_EQ(buffer.WritePointer(0), buffer.data);
    static_cast<unsigned char*>(buffer.WritePointer(5))[0] = 0x81;
    EXPECT_EQ(buffer.PeekByte(5), -127);
}

// ---------------------------------------------------------------------------
// KXThread
// ---------------------------------------------------------------------------

// Spins until `done` says so; short sleeps keep a loaded machine responsive.
template <class Done>
void WaitUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Counts its runs, and holds each run until the test opens the gate.
// Its own destructor opens the gate and waits, because the work reads members
// that are gone by the time the base class would wait.
class GatedThread : public KXThread {
public:
    std::atomic<int> runs{0};
    std::atomic<bool> open{false};

    ~GatedThread() override {
        open = true;
        Wait();
    }

    void Run__UNSAFE__() override {
        ++runs;
        WaitUntil([this] { return open.load(); });
    }
};

TEST(Thread, StartWhileRunningStartsOneThread) {
    GatedThread& thread = *new GatedThread;
    EXPECT_FALSE(thread.IsRunning());
    thread.Start();
    thread.Start();
    EXPECT_TRUE(thread.IsRunning());
    WaitUntil([&] { return thread.runs.load() > 0; });
    thread.Start();
    thread.open = true;
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 1);
    EXPECT_EQ(thread.state, 0);
    EXPECT_EQ(thread.handle, nullptr);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(Thread, StartAfterFinishingRunsAgain) {
    GatedThread& thread = *new GatedThread;
    thread.open = true;
    thread.Start();
    WaitUntil([&] { return !thread.IsRunning(); });
    EXPECT_EQ(thread.state, 2);
    EXPECT_EQ(thread.runs.load(), 1);
    EXPECT_NE(thread.threadId, 0);

    thread.Start();
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 2);

    // Waited-for (idle) threads start afresh too.
    thread.Start();
    thread.Wait();
    EXPECT_EQ(thread.runs.load(), 3);
    thread.Wait();  // a second wait has nothing to do
    EXPECT_EQ(thread.state, 0);
}

TEST(Thread, WaitOnANeverStartedThreadReturnsAtOnce) {
    KXThread& thread = *new KXThread;
    const auto start = std::chrono::steady_clock::now();
    thread.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(thread.state, 0);
    EXPECT_FALSE(thread.IsRunning());
}

// Finishes a little after it starts, so the destructor has something to wait for.
// The base class waits only after this class's part is destroyed, so the work
// copies what it needs before it reports having started.
class SlowThread : public KXThread {
public:
    SlowThread(std::atomic<bool>* started, std::atomic<bool>* finished) : started_(started), finished_(finished) {}

    void Run__UNSAFE__() override {
        std::atomic<bool>* finished = finished_;
        *started_ = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        *finished = true;
    }

private:
    std::atomic<bool>* started_;
    std::atomic<bool>* finished_;
};

TEST(Thread, DestructorOfARunningThreadWaits) {
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    SlowThread* thread = new SlowThread(&started, &finished);
    thread->Start();
    WaitUntil([&] { return started.load(); });
    ASSERT_TRUE(started.load());
    EXPECT_FALSE(finished.load());
    thread = nullptr;  // now garbage: the collector runs its destructor
    DestroyGarbage();
    EXPECT_TRUE(finished.load());
}

}  // namespace
