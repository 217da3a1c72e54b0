// runtime.h - the runtime core every layer stands on: collected objects and the
// collector, strings and arrays, text output and the runtime-error path, data
// buffers and threads. Declarations are grouped under the file that defines them.
//
// Sizes: the program is built for 64-bit, so block sizes come from sizeof() of the
// real headers and elements; the collector's size classes (8 to 56 bytes) and its
// thresholds (2500 objects a step, 4 MiB, 64 MiB) are the design's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

class String;
template <class T> class Array;

// ===========================================================================
// collector.cpp - objects, allocation, the write barrier, marking and sweeping
// ===========================================================================

void gc_adopt(struct gc_object* p);

// Header of every collected object. gc_malloc takes the block and counts it; the
// header's constructor then sets `flags` and appends the object to
// gc_unmarked_list. (The links cannot be written before construction: value-
// initialising a derived class, `new Node()`, zeroes the whole block first.)
struct gc_object {
    gc_object* succ;
    gc_object* pred;
    int flags;  // bits 0-1 colour, bits 3.. block size in bytes

    gc_object() { gc_adopt(this); }
    // Static objects (the empty arrays) carry colour 3 and live in no list.
    struct static_tag {};
    explicit gc_object(static_tag) : succ(nullptr), pred(nullptr), flags(3) {}
    virtual ~gc_object() {}
    virtual void mark() {}

    static void* operator new(std::size_t size);  // gc_malloc
    static void operator delete(void* p);         // gc_free
};

// Colour value of objects not yet reached in the current cycle (white).
extern int gc_markbit;

// The four lists: circular, doubly linked, each with a static sentinel head.
extern gc_object gc_unmarked_list;  // white
extern gc_object gc_queued_list;    // grey
extern gc_object gc_marked_list;    // black
extern gc_object gc_free_list;      // dead, waiting to be destroyed

extern int gc_alloced_bytes;
extern int gc_max_alloced_bytes;
extern int gc_marked_bytes;
extern int gc_marked_objs;
extern int gc_free_bytes;
extern bool gc_force_sweep;

// The host names the roots (its module globals) by installing this marker;
// gc_mark() calls it to queue them at every cycle start.
extern void (*gc_root_marker)();

constexpr int kGcStepObjects = 2500;                 // objects marked per incremental step
constexpr int kGcSweepGrowth = 4 * 1024 * 1024;      // growth that makes a finished cycle sweep
constexpr int kGcFullGrowth = 64 * 1024 * 1024;      // growth that forces a full collection
constexpr int kGcCachedMax = 56;                     // largest block size kept in gc_cache
constexpr int kGcArrayPiece = 256;                   // elements of a large array traced at a time

void gc_init1();                 // empty the four lists
void gc_init2();                 // queue the roots (the root marker)
void gc_mark();                  // the root marker: queues every root in order
void* gc_malloc(int size);
void gc_free(gc_object* p);
void gc_flush_free(int size);
void gc_collect();

// Queue a reference (grey it) if it is white: what mark() methods and the root
// marker do for every reference they hold.
void gc_mark_q(gc_object* p);
// Mark at once (black it and trace it now), used for the elements of object arrays.
void gc_mark(gc_object* p);
void gc_mark_array(int count, gc_object* const* elements);
// How far ahead a step fetches the memory it is about to touch (grey objects,
// array elements, queued references): about as many misses as the memory system
// keeps in flight at once.
constexpr int kGcFetchAhead = 8;
// Prefetch hints for marking a run of references: the header of p, and the list
// neighbours of p when it is white (p's header should be fetched already).
void gc_fetch(const gc_object* p);
void gc_fetch_links(const gc_object* p);

// The elements [from, to) of an array of `count` references that its mark() traces
// now. A step tracing the array from the queue gets the next piece of at most
// kGcArrayPiece elements and the collector calls mark() again for the rest, in this
// step or a later one; a nested or outside call gets the whole array.
struct gc_piece {
    int from, to;
};
gc_piece gc_array_piece(gc_object* owner, int count);

// True when p is a live collected object: found on the unmarked, queued or marked
// list. Used where an address arrives from outside (the debugger's "@").
bool gc_is_live(const void* p);
// Number of objects on a list (tests and benchmarks).
int gc_list_count(const gc_object& head);

// The write barrier: every store of an object reference into a field, an array
// element or a global goes through it.
template <class T, class U>
inline T* gc_assign(T*& field, U* value) {
    gc_mark_q(value);
    field = value;
    return value;
}

// ---------------------------------------------------------------------------
// Object, the base of every toolkit, device and game class.
// ---------------------------------------------------------------------------
struct Object : gc_object {
    Object() {}
    explicit Object(static_tag t) : gc_object(t) {}
    virtual bool Equals(Object* other);
    virtual int Compare(Object* other);
    virtual String debug();
};

// Base of the native host devices.
struct gxtkObject : Object {};

// Base of toolkit exceptions; `main` catches one that escapes.
struct ThrowableObject : Object {};

// ===========================================================================
// string.cpp - String, the byte encodings, and the number texts
// ===========================================================================

class String {
public:
    struct Rep {
        int refs;
        int length;
        char16_t data[1];  // `length` units, allocated to fit
    };

    String();
    String(const String& s);
    String(String&& s) noexcept;
    ~String();
    String& operator=(const String& s);
    String& operator=(String&& s) noexcept;

    String(const char16_t* units, int count);
    explicit String(const char16_t* text);          // 0-terminated
    String(const char* text);                       // 0-terminated; bytes widened as signed
    String(const unsigned char* bytes, int count);  // bytes widened as unsigned
    explicit String(int value);                     // "%i"
    explicit String(float value);                   // "%.17lg", ".0" added when needed

    int Length() const { return rep->length; }
    const char16_t* Data() const { return rep->data; }
    char16_t operator[](int i) const { return rep->data[i]; }

    int Find(const String& sub, int start = 0) const;
    int FindLast(const String& sub) const;
    bool StartsWith(const String& prefix) const;
    String Slice(int from) const;
    String Slice(int from, int to) const;
    Array<String> Split(const String& separator) const;
    String Replace(const String& find, const String& replacement) const;
    String ToLower() const;

    // 0-terminated copies that live in a collector array nothing references: valid
    // until the next collection, which never runs inside a callback.
    template <class C> const C* ToCString() const;  // char (low bytes) or char16_t
    const char* ToUtf8CString() const;              // the UTF-8 form, for C library calls

    bool operator==(const String& s) const;
    bool operator!=(const String& s) const { return !(*this == s); }
    String operator+(const String& s) const;

    // Byte encodings: UTF-16 with either byte order mark or UTF-8 (optional mark)
    // on reading, falling back to one unit per byte; UTF-8 without a mark on writing.
    static String Load(const unsigned char* bytes, int count);
    void Save(std::vector<unsigned char>& out) const;
    static String Load(FILE* file);   // whole file, read in blocks of 4096 bytes
    bool Save(FILE* file) const;      // one write; true when every byte was written

    std::string ToUtf8() const;       // the UTF-8 form as a C++ string

    // Raw storage helpers for the elements of Array<String>.
    static void t_create(int n, String* storage);
    static void t_create(int n, String* storage, const String* source);
    static void t_destroy(int n, String* storage);

    bool SharesRep(const String& s) const { return rep == s.rep; }

private:
    explicit String(Rep* r) : rep(r) {}
    static Rep* Alloc(int length);
    static void Release(Rep* r);
    Rep* rep;
};

template <> const char* String::ToCString<char>() const;
template <> const char16_t* String::ToCString<char16_t>() const;

String T(const char* text);
String T(const char16_t* text);

// ===========================================================================
// Array<T> - a fixed-length array whose storage is a collected object
// ===========================================================================

template <class T>
class Array {
public:
    struct Rep : gc_object {
        int length;

        Rep() {}
        explicit Rep(static_tag t) : gc_object(t), length(0) {}

        T* data() { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + sizeof(Rep)); }

        ~Rep() override {
            if constexpr (std::is_same_v<T, String>) String::t_destroy(length, data());
        }

        void mark() override {
            if constexpr (std::is_pointer_v<T>) {
                T* d = data();
                gc_piece piece = gc_array_piece(this, length);
                // Elements are fetched ahead, and the list neighbours of white ones
                // half as far ahead, so that marking them does not wait on each miss.
                for (int i = piece.from; i < piece.to; ++i) {
                    if (i + kGcFetchAhead < piece.to) gc_fetch(d[i + kGcFetchAhead]);
                    if (i + kGcFetchAhead / 2 < piece.to) gc_fetch_links(d[i + kGcFetchAhead / 2]);
                    gc_mark(d[i]);
                }
            }
        }

        static Rep* alloc(int n) {
            if (n <= 0) return empty();
            void* block = gc_malloc(static_cast<int>(sizeof(Rep) + sizeof(T) * static_cast<std::size_t>(n)));
            Rep* r = ::new (block) Rep();
            r->length = n;
            T* d = r->data();
            if constexpr (std::is_same_v<T, String>) {
                String::t_create(n, d);
            } else {
                for (int i = 0; i < n; ++i) d[i] = T();
            }
            return r;
        }

        // One static empty representation per element type; colour 3 keeps the
        // collector from ever marking, moving or freeing it.
        static Rep* empty() {
            static Rep e{static_tag{}};
            return &e;
        }
    };

    Array() : rep(Rep::empty()) {}
    explicit Array(int n) : rep(Rep::alloc(n)) {}
    explicit Array(Rep* r) : rep(r) {}

    int Length() const { return rep->length; }
    T* Data() const { return rep->data(); }
    T& operator[](int i) const { return rep->data()[i]; }

    Rep* rep;
};

// Store an array into a field of a collected object or a global, through the barrier.
template <class T>
inline void gc_assign(Array<T>& field, const Array<T>& value) {
    gc_mark_q(value.rep);
    field.rep = value.rep;
}
template <class T>
inline void gc_mark_q(const Array<T>& a) { gc_mark_q(a.rep); }

// ===========================================================================
// errors.cpp - text output, the runtime-error path and the debugger conversation
// ===========================================================================

extern const char* dbg_info;   // current source position; this program never sets it
extern String dbg_exstack;     // stack text recorded by dbg_throw
extern int dbg_suspend;
extern int dbg_stepmode;

int Print(const String& text);      // low byte of each unit, puts, flush
int DebugLog(const String& text);   // same as Print
int dbg_print(const String& text);  // to standard error with a line break, one write
void warn(const char* text);
[[noreturn]] void fail(const char* text);  // puts, exit status -1
int Error(const String& message);          // empty: exit 0 silently; else dbg_error
[[noreturn]] void dbg_error(const String& text);
int DebugStop();
int dbg_stop();
String dbg_stacktrace();
[[noreturn]] void dbg_throw(const char* text);
void dbg_callstack();
void sighandler(int signal);

String dbg_type(bool);
String dbg_type(int);
String dbg_type(float);
String dbg_type(const String&);
String dbg_value(bool v);
String dbg_value(int v);
String dbg_value(float v);
String dbg_value(const String& v);  // the quoted form

// ===========================================================================
// databuffer.cpp - KXDataBuffer and KXThread
// ===========================================================================

struct KXDataBuffer : Object {
    unsigned char* data = nullptr;
    int length = 0;

    ~KXDataBuffer() override;
    bool _New(int size);
    bool _Load(const String& path);  // defined in host/paths.cpp: it opens through fopenFile
    void Discard();
    int Length() const { return length; }
    void* ReadPointer(int offset) { return data + offset; }
    void* WritePointer(int offset) { return data + offset; }
    void PokeByte(int offset, int value);
    void PokeShort(int offset, int value);
    void PokeInt(int offset, int value);
    void PokeFloat(int offset, float value);
    int PeekByte(int offset) const;
    int PeekShort(int offset) const;
    int PeekInt(int offset) const;
    float PeekFloat(int offset) const;
};

struct KXThread : Object {
    int state = 0;  // 0 idle, 1 running, 2 finished
    int threadId = 0;
    void* handle = nullptr;

    ~KXThread() override;
    virtual void Start();
    virtual bool IsRunning();
    virtual void Wait();
    virtual void Run__UNSAFE__() {}
};
