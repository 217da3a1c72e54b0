// first_frame_clock.cpp - the start-up benchmark's stopwatch: runs one program and
// prints how long after its exec it reported its first frame, and how long after
// its exec it exited, in milliseconds. The program reports by printing a line
// "first frame <ns>" on standard output right after its first buffer swap and
// glFinish (host/first_frame_report.h); the same clock is read here just before
// the exec. The same for every program timed: bench/startup/run.sh
// runs the game, bare_glfw.cpp and bare_sdl2.cpp through it.
//
// Usage: bench_startup_clock PROGRAM [ARGS...]; prints "<first frame ms> <exit ms>"
// and exits 0, or complains on standard error and exits 1 when the program could
// not run, failed, or printed no first frame.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/first_frame_report.h"

extern char** environ;

namespace {

// The reported time of the first "first frame" line in everything the program
// printed, or -1.
long long FirstFrameNs(const std::string& output) {
    for (std::size_t at = 0; at < output.size();) {
        std::size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(at, end - at);
        if (line.compare(0, sizeof kFirstFrameMarker - 1, kFirstFrameMarker) == 0) {
            return std::strtoll(line.c_str() + sizeof kFirstFrameMarker - 1, nullptr, 10);
        }
        at = end + 1;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup_clock PROGRAM [ARGS...]\n");
        return 1;
    }
    int out[2];
    if (pipe(out) != 0) return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);

    pid_t child = 0;
    const long long started = FirstFrameClockNs();
    const int spawned = posix_spawn(&child, argv[1], &actions, nullptr, argv + 1, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_startup_clock: cannot run %s: %s\n", argv[1], std::strerror(spawned));
        return 1;
    }

    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    const long long exited = FirstFrameClockNs();
    close(out[0]);

    const long long frame = FirstFrameNs(output);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || frame < started) {
        std::fprintf(stderr, "bench_startup_clock: %s failed or reported no first frame\n", argv[1]);
        return 1;
    }
    std::printf("%.3f %.3f\n", (frame - started) / 1e6, (exited - started) / 1e6);
    return 0;
}
