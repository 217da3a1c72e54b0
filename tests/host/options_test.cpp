// options_test.cpp - the program's command line: what each option asks for, the
// answers and exit statuses of --help, --version and a mistake, and HostMain
// answering them before the window library starts (run in a child process on the
// fake window layer, which records whether it was started).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "host/options.h"
#include "tests/host/fake_window.h"
#include "tests/host/x11_harness.h"

int HostMain(int argc, char** argv);

namespace {

CommandLine Parse(std::initializer_list<const char*> args) {
    std::vector<const char*> argv = {"tumbleroo"};
    argv.insert(argv.end(), args);
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(argv.size()) - 1, argv.data());
}

TEST(CommandLine, NoOptionsStartsTheGameAsLastLeft) {
    CommandLine c = Parse({});
    EXPECT_TRUE(c.run);
    EXPECT_EQ(c.options.display, DisplayChoice::Remembered);
    EXPECT_EQ(c.out + c.err, "");
}

TEST(CommandLine, DisplayOptionsChooseTheWindowAndTheLastOneCounts) {
    EXPECT_EQ(Parse({"--fullscreen"}).options.display, DisplayChoice::Fullscreen);
    EXPECT_EQ(Parse({"--windowed"}).options.display, DisplayChoice::Windowed);
    EXPECT_EQ(Parse({"--windowed", "--fullscreen"}).options.display, DisplayChoice::Fullscreen);
    EXPECT_EQ(Parse({"--fullscreen", "--windowed"}).options.display, DisplayChoice::Windowed);
    EXPECT_TRUE(Parse({"--fullscreen"}).run);
}

TEST(CommandLine, HelpListsEveryOptionOnStandardOutputAndExitsWithZero) {
    for (const char* help : {"--help", "-h"}) {
        CommandLine c = Parse({"--fullscreen", help});
        EXPECT_FALSE(c.run) << help;
        EXPECT_EQ(c.exitStatus, 0);
        EXPECT_EQ(c.err, "");
        EXPECT_EQ(c.out.rfind("Usage: tumbleroo [OPTION]...\n", 0), 0u) << c.out;
        for (const char* option : {"--fullscreen", "--windowed", "--help", "--version", ".quorvelstate",
                                   ".tumbleroo-settings", "$XDG_DATA_HOME/tumbleroo"})
            EXPECT_NE(c.out.find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, VersionIsOneLineWithTheProgramsNameAndItsDottedVersion) {
    CommandLine c = Parse({"--version"});
    EXPECT_FALSE(c.run);
    EXPECT_EQ(c.exitStatus, 0);
    EXPECT_TRUE(std::regex_match(c.out, std::regex("tumbleroo [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << c.out;
    EXPECT_EQ(c.err, "");
    // --help wins over --version, whichever comes first.
    EXPECT_EQ(Parse({"--version", "--help"}).out, Parse({"--help"}).out);
}

TEST(CommandLine, UnknownOptionsAndArgumentsAreRefusedOnStandardErrorWithTwo) {
    struct Case {
        std::vector<const char*> args;
        std::string says;
    };
    for (const Case& k : {Case{{"--bogus"}, "unknown option '--bogus'"},
                          Case{{"-x"}, "unknown option '-x'"},
                          Case{{"--help", "--fulscreen"}, "unknown option '--fulscreen'"},
                          Case{{"--version=2"}, "unknown option '--version=2'"},
                          Case{{"save.dat"}, "unexpected argument 'save.dat'"}}) {
        std::vector<const char*> argv = {"tumbleroo"};
        argv.insert(argv.end(), k.args.begin(), k.args.end());
        CommandLine c = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_FALSE(c.run) << k.says;
        EXPECT_EQ(c.exitStatus, kExitUsage);
        EXPECT_EQ(c.out, "");
        EXPECT_EQ(c.err, "tumbleroo: " + k.says + "\nTry 'tumbleroo --help' for more information.\n");
    }
}

// The window layer counts its start; a command line that is answered never starts it.
class CountingWindow : public hosttest::FakeWindow {
public:
    int inits = 0;
    bool Init() override {
        ++inits;
        return true;
    }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class HostMainCommandLine : public ::testing::Test {
protected:
    hosttest::TempDir dir;
    CountingWindow win;

    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "fast");
        // No sound device: the start-up that goes on must not look for one.
        std::string conf = dir.path() + "/no-device.conf";
        std::ofstream(conf) << "[general]\ndrivers = no-such-backend\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        glfw2::SetBackend(&win);
    }
    void TearDown() override { glfw2::SetBackend(nullptr); }

    // Runs HostMain with its streams sent to files; exits with its result, or 101 if
    // the window library was started.
    [[noreturn]] void Run(std::vector<std::string> args) {
        if (!std::freopen((dir.path() + "/out").c_str(), "w", stdout)) _exit(100);
        if (!std::freopen((dir.path() + "/err").c_str(), "w", stderr)) _exit(100);
        args.insert(args.begin(), "tumbleroo");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int result = HostMain(static_cast<int>(args.size()), argv.data());
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(win.inits ? 101 : result & 0xff);
    }
    std::string Out() { return ReadFile(dir.path() + "/out"); }
    std::string Err() { return ReadFile(dir.path() + "/err"); }
};

TEST_F(HostMainCommandLine, HelpAndVersionAnswerWithoutStartingTheWindowLibrary) {
    EXPECT_EXIT(Run({"--help"}), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Out(), Parse({"--help"}).out);
    EXPECT_EQ(Err(), "");
    EXPECT_EXIT(Run({"--version"}), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(Out(), std::string("tumbleroo ") + TumblerooVersion() + "\n");
}

TEST_F(HostMainCommandLine, AnUnknownOptionExitsWithTwoBeforeAnyWindow) {
    EXPECT_EXIT(Run({"--bogus"}), ::testing::ExitedWithCode(kExitUsage), "");
    EXPECT_EQ(Out(), "");
    EXPECT_NE(Err().find("unknown option '--bogus'"), std::string::npos) << Err();
}

TEST_F(HostMainCommandLine, DisplayOptionsGoOnToStartTheGame) {
    // The loop's first wait for events ends the child: the game got that far.
    constexpr int kLoopReached = 42;
    win.onEvents = [this](const char*) { _exit(win.inits == 1 ? kLoopReached : 102); };
    EXPECT_EXIT(Run({"--windowed"}), ::testing::ExitedWithCode(kLoopReached), "");
    EXPECT_EQ(Err(), "");
}

}  // namespace
