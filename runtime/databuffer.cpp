// databuffer.cpp - KXDataBuffer, a block of raw bytes with typed peeks and pokes,
// and KXThread, a worker thread that runs one virtual operation. Both are offered
// to game code by the runtime; the game itself uses neither. KXDataBuffer::_Load
// lives with the host's file access.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"

namespace {

enum ThreadState { kIdle = 0, kRunning = 1, kFinished = 2 };

// Values are stored byte by byte, least significant first, so any offset works
// whatever its alignment.
void StoreLittle(unsigned char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t LoadLittle(const unsigned char* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

// The worker's store of "finished" races with the owner's reads of the state;
// atomic accesses keep that race defined without taking a lock.
void StoreState(int& state, int value) { __atomic_store_n(&state, value, __ATOMIC_RELEASE); }
int LoadState(const int& state) { return __atomic_load_n(&state, __ATOMIC_ACQUIRE); }

void* ThreadMain(void* arg) {
    KXThread* thread = static_cast<KXThread*>(arg);
    __atomic_store_n(&thread->threadId, static_cast<int>(syscall(SYS_gettid)), __ATOMIC_RELAXED);
    thread->Run__UNSAFE__();
    StoreState(thread->state, kFinished);
    return nullptr;
}

// Joins the worker behind `handle` and releases the handle.
void JoinAndClose(void*& handle) {
    pthread_t* thread = static_cast<pthread_t*>(handle);
    pthread_join(*thread, nullptr);
    delete thread;
    handle = nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// KXDataBuffer
// ---------------------------------------------------------------------------

KXDataBuffer::~KXDataBuffer() { std::free(data); }

bool KXDataBuffer::_New(int size) {
    // A negative size or a failed allocation leaves the buffer empty and says so,
    // rather than reporting a block that is not there.
    if (data || size < 0) return false;
    // A zero-byte block still counts as held, so ask for at least one byte.
    void* block = std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
    if (!block) return false;
    data = static_cast<unsigned char*>(block);
    length = size;
    return true;
}

void KXDataBuffer::Discard() {
    std::free(data);
    data = nullptr;
    length = 0;
}

void KXDataBuffer::PokeByte(int offset, int value) { StoreLittle(data + offset, static_cast<std::uint32_t>(value), 1); }

void KXDataBuffer::PokeShort(int offset, int value) {
    StoreLittle(data + offset, static_cast<std::uint32_t>(value), 2);
}

void KXDataBuffer::PokeInt(int offset, int value) { StoreLittle(data + offset, static_cast<std::uint32_t>(value), 4); }

void KXDataBuffer::PokeFloat(int offset, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLittle(data + offset, bits, 4);
}

int KXDataBuffer::PeekByte(int offset) const { return static_cast<std::int8_t>(LoadLittle(data + offset, 1)); }

int KXDataBuffer::PeekShort(int offset) const { return static_cast<std::int16_t>(LoadLittle(data + offset, 2)); }

int KXDataBuffer::PeekInt(int offset) const { return static_cast<std::int32_t>(LoadLittle(data + offset, 4)); }

float KXDataBuffer::PeekFloat(int offset) const {
    const std::uint32_t bits = LoadLittle(data + offset, 4);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// ---------------------------------------------------------------------------
// KXThread
// ---------------------------------------------------------------------------

// A subclass's own destructor runs before this one: one whose work touches its
// own members must Wait() in its destructor.
KXThread::~KXThread() {
    if (LoadState(state) != kIdle) JoinAndClose(handle);
}

void KXThread::Start() {
    const int current = LoadState(state);
    if (current == kRunning) return;
    if (current == kFinished) JoinAndClose(handle);

    // Running is set before the worker exists, so its later "finished" wins.
    StoreState(state, kRunning);
    pthread_t* thread = new pthread_t;
    if (pthread_create(thread, nullptr, ThreadMain, this) != 0) {
        delete thread;
        StoreState(state, kIdle);
        return;
    }
    handle = thread;
}

bool KXThread::IsRunning() { return LoadState(state) == kRunning; }

void KXThread::Wait() {
    if (LoadState(state) == kIdle) return;
    JoinAndClose(handle);
    StoreState(state, kIdle);
}
