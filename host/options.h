// options.h - the tumbleroo program's command line: --help, --version and the
// player's display choice (--fullscreen, --windowed), read before the window
// opens. HostMain (host/startup.cpp) parses it first and either starts the game
// with the options or prints the answer and exits; the start-up reads the display
// choice when it opens the window.
#pragma once

#include <string>

// How the window starts: as the player last left it, or as the command line says.
enum class DisplayChoice { Remembered, Fullscreen, Windowed };

struct HostOptions {
    DisplayChoice display = DisplayChoice::Remembered;
};

// The exit status of a command line the program does not understand.
constexpr int kExitUsage = 2;

// What the command line asks for: start the game with `options`, or print `out` on
// standard output and `err` on standard error and exit with `exitStatus`.
struct CommandLine {
    bool run = true;
    int exitStatus = 0;
    std::string out;
    std::string err;
    HostOptions options;
};

// The program's version, as the build names it.
const char* TumblerooVersion();

// Reads argv[1..argc-1]; argv[0] is not looked at.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Prints what `commandLine` has to say; true when the game should start.
bool AnswerCommandLine(const CommandLine& commandLine);
