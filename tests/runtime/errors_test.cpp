// errors_test.cpp - tests of the runtime's text output, the value formatters and
// the runtime-error path with its debugger conversation.
//
// The error path ends the process, so those cases run in a child: the test binary
// re-executes itself with TUMBLEROO_ERRORS_SCENARIO set, and a global test
// environment runs that scenario before any test, on the standard streams the
// parent handed over as descriptors 3 (output), 4 (errors) and 5 (input). The
// child's own gtest chatter goes to /dev/null.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/runtime.h"

namespace {

constexpr const char* kScenarioVariable = "TUMBLEROO_ERRORS_SCENARIO";
constexpr int kChildOut = 3;
constexpr int kChildErr = 4;
constexpr int kChildIn = 5;
// A child that hangs is killed by its own alarm rather than stalling the suite.
constexpr unsigned kChildTimeoutSeconds = 20;
// The child must match at least one test, or gtest never sets up environments.
constexpr const char* kChildFilter = "--gtest_filter=DebugFormatters.TypeNames";

constexpr int kStatusFailure = 255;  // exit(-1) as the parent sees it

// ---------------------------------------------------------------------------
// Child side
// ---------------------------------------------------------------------------

void AdoptParentStreams() {
    std::fflush(nullptr);
    dup2(kChildOut, STDOUT_FILENO);
    dup2(kChildErr, STDERR_FILENO);
    dup2(kChildIn, STDIN_FILENO);
    close(kChildOut);
    close(kChildErr);
    close(kChildIn);
}

std::string Address(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

// Reports a live Object and a live collected block that is not an Object, then
// fails, so the parent can ask the debugger about both.
[[noreturn]] void InspectScenario() {
    Object* object = new Object;
    Array<int> numbers(3);
    Print(String((Address(object) + " " + Address(numbers.rep)).c_str()));
    Error(T("inspect"));
    std::abort();
}

// Shows what each resuming command leaves in the debugger globals.
[[noreturn]] void StepScenario() {
    for (;;) {
        DebugStop();
        Print(String(dbg_suspend) + T(" ") + String(dbg_stepmode));
    }
}

[[noreturn]] void RunScenario(const std::string& name) {
    AdoptParentStreams();
    if (name == "error") Error(T("boom"));
    if (name == "empty-error") Error(String());
    if (name == "fail") fail("glfwOpenWindow failed");
    if (name == "inspect") InspectScenario();
    if (name == "steps") StepScenario();
    if (name == "signal") {
        std::signal(SIGSEGV, sighandler);
        std::raise(SIGSEGV);
    }
    std::fprintf(stderr, "unknown scenario %s\n", name.c_str());
    std::_Exit(99);
}

class ScenarioEnvironment : public testing::Environment {
public:
    void SetUp() override {
        const char* name = std::getenv(kScenarioVariable);
        if (name) RunScenario(name);
    }
};

testing::Environment* const kScenarioEnvironment = testing::AddGlobalTestEnvironment(new ScenarioEnvironment);

// ---------------------------------------------------------------------------
// Parent side
// ---------------------------------------------------------------------------

struct ChildResult {
    int status = -1;  // exit status, or -1 when the child did not exit normally
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    char block[4096];
    for (;;) {
        const ssize_t n = read(fd, block, sizeof block);
        if (n <= 0) break;
        text.append(block, static_cast<std::size_t>(n));
    }
    return text;
}

// One run of a scenario. Standard output and input are pipes so a test can hold a
// conversation; standard error goes to a file read once the child is gone.
class Child {
public:
    explicit Child(const char* scenario) {
        int out[2];
        int in[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(in), 0);
        err_ = std::tmpfile();
        EXPECT_NE(err_, nullptr);
        std::fflush(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            // The parent's ends stay with the parent, or the child's input never ends.
            close(out[0]);
            close(in[1]);
            Exec(scenario, out[1], fileno(err_), in[0]);
        }
        close(out[1]);
        close(in[0]);
        out_ = out[0];
        in_ = in[1];
    }

    ~Child() {
        if (in_ >= 0) close(in_);
        if (out_ >= 0) close(out_);
        if (err_) std::fclose(err_);
    }

    // The next line of the child's output, without its line break.
    std::string ReadLine() {
        std::string line;
        char c;
        while (read(out_, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }

    void Send(const std::string& text) {
        // A child that already ended must fail the test, not kill it with SIGPIPE.
        struct sigaction ignore {}, previous {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previous);
        EXPECT_EQ(write(in_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        sigaction(SIGPIPE, &previous, nullptr);
    }

    // Closes the child's input, collects the rest of its output and its status.
    ChildResult Finish() {
        close(in_);
        in_ = -1;
        ChildResult result;
        result.out = ReadAll(out_);
        int status = 0;
        waitpid(pid_, &status, 0);
        if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
        std::fseek(err_, 0, SEEK_SET);
        result.err = ReadAll(fileno(err_));
        return result;
    }

private:
    [[noreturn]] static void Exec(const char* scenario, int out, int err, int in) {
        // Park the descriptors above the numbers they must end up on.
        const int parked_out = fcntl(out, F_DUPFD, 10);
        const int parked_err = fcntl(err, F_DUPFD, 10);
        const int parked_in = fcntl(in, F_DUPFD, 10);
        dup2(parked_out, kChildOut);
        dup2(parked_err, kChildErr);
        dup2(parked_in, kChildIn);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDIN_FILENO);
        setenv(kScenarioVariable, scenario, 1);
        // A leak report would replace the exit status under test, and the signal
        // case needs our own SIGSEGV handler to be honoured.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::string options = asan ? std::string(asan) + ":" : std::string();
        options += "detect_leaks=0:allow_user_segv_handler=1";
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        alarm(kChildTimeoutSeconds);
        execl("/proc/self/exe", "/proc/self/exe", kChildFilter, static_cast<char*>(nullptr));
        std::_Exit(127);
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    FILE* err_ = nullptr;
};

ChildResult RunChild(const char* scenario, const std::string& input) {
    Child child(scenario);
    child.Send(input);
    return child.Finish();
}

const std::string kReport = "Quorvel Runtime Error : boom\n\n";
const std::string kMarker = "{{~~(null)~~}}\n\n";

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

// ---------------------------------------------------------------------------
// In-process capture of a standard stream
// ---------------------------------------------------------------------------

class StreamCapture {
public:
    explicit StreamCapture(FILE* stream) : stream_(stream), fd_(fileno(stream)) {
        std::fflush(stream_);
        file_ = std::tmpfile();
        saved_ = dup(fd_);
        dup2(fileno(file_), fd_);
    }

    ~StreamCapture() { Restore(); }

    std::string Finish() {
        Restore();
        std::fseek(file_, 0, SEEK_SET);
        std::string text = ReadAll(fileno(file_));
        std::fclose(file_);
        file_ = nullptr;
        return text;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stream_);
        dup2(saved_, fd_);
        close(saved_);
        saved_ = -1;
    }

    FILE* stream_;
    int fd_;
    int saved_ = -1;
    FILE* file_ = nullptr;
};

String Units(const std::u16string& units) { return String(units.data(), static_cast<int>(units.size())); }

// ---------------------------------------------------------------------------
// Runtime-error path and debugger conversation
// ---------------------------------------------------------------------------

TEST(RuntimeErrorPath, WithoutDebuggerReportsOnceAndFails) {
    ChildResult r = RunChild("error", "");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kMarker);
}

TEST(RuntimeErrorPath, EmptyMessageEndsSilentlyWithSuccess) {
    ChildResult r = RunChild("empty-error", "r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(RuntimeErrorPath, RunCommandRepeatsTheReport) {
    ChildResult r = RunChild("error", "r\nr\n");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, Repeat(kReport, 3));
    EXPECT_EQ(r.err, Repeat(kMarker, 3));
}

TEST(RuntimeErrorPath, QuitEndsWithSuccessAndQuestionMarkIsIgnored) {
    ChildResult r = RunChild("error", "?\n?anything\nq\nr\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kReport);
    EXPECT_EQ(r.err, kMarker);
}

TEST(RuntimeErrorPath, UnknownCommandIsEchoedAndFails) {
    ChildResult r = RunChild("error", "xyz\nq\n");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, kReport + "????? xyz ?????");

    ChildResult blank = RunChild("error", "\nq\n");
    EXPECT_EQ(blank.status, kStatusFailure);
    EXPECT_EQ(blank.out, kReport + "?????  ?????");
}

TEST(RuntimeErrorPath, OverlongOrUnterminatedLineEndsTheConversation) {
    // 300 q's: the first 255 arrive without a line break, so even a "q" line fails.
    ChildResult longLine = RunChild("error", std::string(300, 'q') + "\n");
    EXPECT_EQ(longLine.status, kStatusFailure);
    EXPECT_EQ(longLine.out, kReport);

    ChildResult unterminated = RunChild("error", "q");
    EXPECT_EQ(unterminated.status, kStatusFailure);

    // 254 characters plus the line break is the longest line that still counts.
    ChildResult longest = RunChild("error", "?" + std::string(253, 'x') + "\nq\n");
    EXPECT_EQ(longest.status, 0);
}

TEST(RuntimeErrorPath, ResumingCommandsSetSuspendAndStepMode) {
    ChildResult r = RunChild("steps", "e\nl\ns\nr\n");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, "1 101\n0 108\n1 115\n0 0\n");
    EXPECT_EQ(r.err, Repeat(kMarker, 5));
}

TEST(RuntimeErrorPath, AtCommandAnswersOnlyForLiveObjects) {
    Child child("inspect");
    const std::string addresses = child.ReadLine();
    const std::size_t space = addresses.find(' ');
    ASSERT_NE(space, std::string::npos) << addresses;
    const std::string object = addresses.substr(0, space);
    const std::string array = addresses.substr(space + 1);

    child.Send("@" + object + "\n");  // a live Object: its debug text
    child.Send("@0\n");               // null
    child.Send("@0x10\n");            // nothing lives there
    child.Send("@" + array + "\n");   // collected, but not an Object
    child.Send("@not-an-address\n");
    child.Send("@" + object + "\nq\n");
    ChildResult r = child.Finish();

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Quorvel Runtime Error : inspect\n\n");
    EXPECT_EQ(r.err, kMarker + "+Object\n\n" + "\n\n\n\n" + "+Object\n\n");
}

TEST(RuntimeErrorPath, FatalSignalIsReportedAsRuntimeError) {
    ChildResult r = RunChild("signal", "");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, "Quorvel Runtime Error : Memory access violation\n\n");
    EXPECT_EQ(r.err, kMarker);
}

TEST(RuntimeErrorPath, FailPrintsTheLineAndFails) {
    ChildResult r = RunChild("fail", "");
    EXPECT_EQ(r.status, kStatusFailure);
    EXPECT_EQ(r.out, "glfwOpenWindow failed\n");
}

// ---------------------------------------------------------------------------
// Text output
// ---------------------------------------------------------------------------

TEST(TextOutput, PrintWritesLowBytesAndALineBreak) {
    StreamCapture capture(stdout);
    Print(Units(u"A\u0142\u20ACz"));  // 0x142 -> 'B', 0x20AC -> 0xAC
    DebugLog(T("log"));
    EXPECT_EQ(capture.Finish(), std::string("AB\xAC" "z\nlog\n"));
}

TEST(TextOutput, PrintKeepsWholeTextsAcrossBufferGrowth) {
    const std::string shortText(7, 's');
    const std::string longText(5000, 'L');
    const std::string longer(12000, 'M');
    StreamCapture capture(stdout);
    Print(String(shortText.c_str()));
    Print(String(longText.c_str()));
    Print(String(shortText.c_str()));
    Print(String(longer.c_str()));
    Print(String());
    EXPECT_EQ(capture.Finish(), shortText + "\n" + longText + "\n" + shortText + "\n" + longer + "\n\n");
}

TEST(TextOutput, DebugPrintGoesToStandardError) {
    const std::string big(3000, 'b');
    StreamCapture capture(stderr);
    dbg_print(Units(u"x\u0179y"));  // 0x179 -> 'y'
    dbg_print(String(big.c_str()));
    dbg_print(T("end"));
    EXPECT_EQ(capture.Finish(), "xyy\n" + big + "\nend\n");
}

TEST(TextOutput, WarnUsesPuts) {
    StreamCapture capture(stdout);
    warn("careful");
    EXPECT_EQ(capture.Finish(), "careful\n");
}

// ---------------------------------------------------------------------------
// Stack text and debugger exceptions
// ---------------------------------------------------------------------------

class DebugInfo : public testing::Test {
protected:
    void TearDown() override {
        dbg_info = nullptr;
        dbg_exstack = String();
    }
};

TEST_F(DebugInfo, StackTraceFollowsThePosition) {
    EXPECT_EQ(dbg_stacktrace().Length(), 0);
    dbg_info = "";
    EXPECT_EQ(dbg_stacktrace().Length(), 0);
    dbg_info = "reels<42>";
    EXPECT_EQ(dbg_stacktrace().ToUtf8(), "reels<42>\n");
}

TEST_F(DebugInfo, ThrowRecordsTheStackAndThrowsTheText) {
    dbg_info = "menu<7>";
    const char* caught = nullptr;
    try {
        dbg_throw("gone");
    } catch (const char* text) {
        caught = text;
    }
    ASSERT_NE(caught, nullptr);
    EXPECT_STREQ(caught, "gone");
    EXPECT_EQ(dbg_exstack.ToUtf8(), "menu<7>\n");
}

// ---------------------------------------------------------------------------
// Value formatters
// ---------------------------------------------------------------------------

TEST(DebugFormatters, TypeNames) {
    EXPECT_EQ(dbg_type(true).ToUtf8(), "Bool");
    EXPECT_EQ(dbg_type(3).ToUtf8(), "Int");
    EXPECT_EQ(dbg_type(1.5f).ToUtf8(), "Float");
    EXPECT_EQ(dbg_type(T("x")).ToUtf8(), "String");
}

TEST(DebugFormatters, PlainValues) {
    EXPECT_EQ(dbg_value(true).ToUtf8(), "True");
    EXPECT_EQ(dbg_value(false).ToUtf8(), "False");
    EXPECT_EQ(dbg_value(-17).ToUtf8(), "-17");
    EXPECT_EQ(dbg_value(3.0f).ToUtf8(), "3.0");
    EXPECT_EQ(dbg_value(0.5f).ToUtf8(), "0.5");
}

TEST(DebugFormatters, QuotedFormEscapesAndTruncates) {
    EXPECT_EQ(dbg_value(String()).ToUtf8(), "\"\"");
    EXPECT_EQ(dbg_value(T("say \"hi\"\tnow\r\n")).ToUtf8(), "\"say ~qhi~q~tnow~r~n\"");

    const std::string hundred(100, 'a');
    EXPECT_EQ(dbg_value(String(hundred.c_str())).ToUtf8(), "\"" + hundred + "\"");
    EXPECT_EQ(dbg_value(String((hundred + "b").c_str())).ToUtf8(), "\"" + hundred + "...\"");

    // Cutting comes first: a quote beyond the 100th character never shows.
    const std::string tail = std::string(99, 'c') + "\t\"";
    EXPECT_EQ(dbg_value(String(tail.c_str())).ToUtf8(), "\"" + std::string(99, 'c') + "~t...\"");
}

}  // namespace
