// options.cpp - parses the tumbleroo program's command line and prints its answers
// (the help, the version, an unknown option). HostMain calls it before the window
// library starts, so `tumbleroo --help` works without a display.
#include "host/options.h"

#include <cstdio>
#include <cstring>

#ifndef TUMBLEROO_VERSION
#error "the build names the version (TUMBLEROO_VERSION)"
#endif

namespace {

const char kProgram[] = "tumbleroo";

const char kHelp[] =
    "Usage: tumbleroo [OPTION]...\n"
    "A cabinet of five reel machines in one window.\n"
    "\n"
    "  --fullscreen   start in full screen; the choice is remembered\n"
    "  --windowed     start in a window; the choice is remembered\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Without --fullscreen or --windowed the game starts as it was last left.\n"
    "Progress (.quorvelstate) and settings (.tumbleroo-settings) are kept in the\n"
    "working folder; the installed launcher makes it $XDG_DATA_HOME/tumbleroo\n"
    "(by default ~/.local/share/tumbleroo).\n";

CommandLine Answer(int status, const std::string& out, const std::string& err) {
    CommandLine c;
    c.run = false;
    c.exitStatus = status;
    c.out = out;
    c.err = err;
    return c;
}

CommandLine Refuse(const std::string& what) {
    return Answer(kExitUsage, "",
                  std::string(kProgram) + ": " + what + "\nTry 'tumbleroo --help' for more information.\n");
}

}  // namespace

const char* TumblerooVersion() { return TUMBLEROO_VERSION; }

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine parsed;
    // Every argument is read before any answer: a mistake anywhere is refused even
    // after --help, and of --fullscreen and --windowed the last one counts.
    bool help = false, version = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            help = true;
        } else if (!std::strcmp(arg, "--version")) {
            version = true;
        } else if (!std::strcmp(arg, "--fullscreen")) {
            parsed.options.display = DisplayChoice::Fullscreen;
        } else if (!std::strcmp(arg, "--windowed")) {
            parsed.options.display = DisplayChoice::Windowed;
        } else if (arg[0] == '-') {
            return Refuse(std::string("unknown option '") + arg + "'");
        } else {
            return Refuse(std::string("unexpected argument '") + arg + "'");
        }
    }
    if (help) return Answer(0, kHelp, "");
    if (version) return Answer(0, std::string(kProgram) + " " + TumblerooVersion() + "\n", "");
    return parsed;
}

bool AnswerCommandLine(const CommandLine& commandLine) {
    std::fputs(commandLine.out.c_str(), stdout);
    std::fputs(commandLine.err.c_str(), stderr);
    std::fflush(stdout);
    return commandLine.run;
}
