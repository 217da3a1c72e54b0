// errors.cpp - the runtime's text output and its last line of defence: Print and
// DebugLog for the game's messages, the runtime-error report with the debugger
// conversation on the standard streams, the fatal-signal handler, and the value
// formatters a debugger uses. Called by every layer (Print, Error), by the host's
// start-up (fail, sighandler) and by the drawing context ("Image frame outside
// surface").
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"

const char* dbg_info = nullptr;
String dbg_exstack;
int dbg_suspend = 0;
int dbg_stepmode = 0;

namespace {

// The C library turns the exit status -1 into 255 for the parent.
constexpr int kExitFailure = -1;
// A debugger line holds at most this many characters, line break included.
constexpr int kMaxDebuggerLine = 255;
// Texts longer than this are cut short in the debugger's quoted form.
constexpr int kQuotedMaxLength = 100;
// Output buffers grow to the text's length plus this much headroom.
constexpr int kBufferHeadroom = 100;

constexpr char kAtSign = '@';

// An 8-bit copy of a text, made from the low byte of each unit. Each output path
// owns one and keeps it for the life of the process: it grows, never shrinks.
class ByteBuffer {
public:
    // Fills the buffer with the text's low bytes and a 0 byte; returns the start.
    char* Fill(const String& text) {
        const int length = text.Length();
        Reserve(length);
        const char16_t* units = text.Data();
        for (int i = 0; i < length; ++i) bytes_[i] = static_cast<char>(units[i] & 0xFF);
        bytes_[length] = '\0';
        return bytes_;
    }

private:
    // Grows once the text plus 99 bytes no longer fits below the current size, so
    // there is always room for the text, a line break and the 0 byte.
    void Reserve(int length) {
        if (length + kBufferHeadroom - 1 < size_) return;
        std::free(bytes_);
        size_ = length + kBufferHeadroom;
        bytes_ = static_cast<char*>(std::malloc(static_cast<std::size_t>(size_)));
        if (!bytes_) std::abort();
    }

    char* bytes_ = nullptr;
    int size_ = 0;
};

ByteBuffer print_buffer;
ByteBuffer dbg_print_buffer;

// The text a debugger gets back for "@address". The address comes from outside,
// so only an object found on the collector's lists is asked; anything else (null,
// a stale or made-up address, a collected block that is not an Object) answers
// with the empty text instead of jumping through whatever lies there.
String DebugTextAt(const char* address) {
    void* p = nullptr;
    if (std::sscanf(address, "%p", &p) != 1 || !gc_is_live(p)) return String();
    Object* object = dynamic_cast<Object*>(static_cast<gc_object*>(p));
    return object ? object->debug() : String();
}

// Applies one debugger command that hands control back; false when the line is
// not such a command.
bool ResumeCommand(char command) {
    switch (command) {
        case 'e': dbg_suspend = 1; break;
        case 'l': dbg_suspend = 0; break;
        case 's': dbg_suspend = 1; break;
        case 'r': dbg_suspend = 0; break;
        default: return false;
    }
    // "r" resumes without stepping; the others leave their own letter as the mode.
    dbg_stepmode = command == 'r' ? 0 : command;
    return true;
}

[[noreturn]] void UnknownCommand(const char* line) {
    std::printf("????? %s ?????", line);
    std::fflush(stdout);
    std::exit(kExitFailure);
}

}  // namespace

int Print(const String& text) {
    std::puts(print_buffer.Fill(text));
    std::fflush(stdout);
    return 0;
}

int DebugLog(const String& text) { return Print(text); }

int dbg_print(const String& text) {
    char* bytes = dbg_print_buffer.Fill(text);
    // The line break goes over the terminating 0 so the debugger gets one write.
    const int length = text.Length();
    bytes[length] = '\n';
    std::fwrite(bytes, 1, static_cast<std::size_t>(length) + 1, stderr);
    std::fflush(stderr);
    return 0;
}

void warn(const char* text) { std::puts(text); }

void fail(const char* text) {
    std::puts(text);
    std::exit(kExitFailure);
}

int Error(const String& message) {
    if (message.Length() == 0) std::exit(0);
    dbg_error(message);
}

void dbg_error(const String& text) {
    for (;;) {
        Print(T("Quorvel Runtime Error : ") + text);
        Print(dbg_stacktrace());
        dbg_stop();
    }
}

int DebugStop() {
    dbg_stop();
    return 0;
}

int dbg_stop() {
    // The C library's own rendering of a null text, spelt out rather than passing
    // null to %s.
    std::fprintf(stderr, "{{~~%s~~}}\n", dbg_info ? dbg_info : "(null)");
    dbg_print(String());

    char line[kMaxDebuggerLine + 1];
    for (;;) {
        // A line that fgets cannot end with its line break is either the end of
        // input or too long: the debugger is gone or confused.
        if (!std::fgets(line, sizeof line, stdin)) std::exit(kExitFailure);
        char* end = std::strchr(line, '\n');
        if (!end) std::exit(kExitFailure);
        *end = '\0';

        const char command = line[0];
        if (command == '?') continue;
        if (command == kAtSign) {
            dbg_print(DebugTextAt(line + 1));
            continue;
        }
        if (ResumeCommand(command)) return 0;
        if (command == 'q') std::exit(0);
        UnknownCommand(line);
    }
}

String dbg_stacktrace() {
    if (!dbg_info || !dbg_info[0]) return String();
    return String(dbg_info) + T("\n");
}

void dbg_throw(const char* text) {
    dbg_exstack = dbg_stacktrace();
    throw text;
}

void dbg_callstack() {}

void sighandler(int signal) {
    const char* message = "Unknown signal";
    switch (signal) {
        case SIGILL: message = "Illegal instruction"; break;
        case SIGFPE: message = "Floating point exception"; break;
        case SIGSEGV: message = "Memory access violation"; break;
        default: break;
    }
    dbg_error(T(message));
}

String dbg_type(bool) { return T("Bool"); }
String dbg_type(int) { return T("Int"); }
String dbg_type(float) { return T("Float"); }
String dbg_type(const String&) { return T("String"); }

String dbg_value(bool v) { return T(v ? "True" : "False"); }
String dbg_value(int v) { return String(v); }
String dbg_value(float v) { return String(v); }

String dbg_value(const String& v) {
    String text = v.Length() > kQuotedMaxLength ? v.Slice(0, kQuotedMaxLength) + T("...") : v;
    text = text.Replace(T("\""), T("~q"));
    text = text.Replace(T("\t"), T("~t"));
    text = text.Replace(T("\n"), T("~n"));
    text = text.Replace(T("\r"), T("~r"));
    return T("\"") + text + T("\"");
}
