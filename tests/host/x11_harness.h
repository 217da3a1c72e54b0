// x11_harness.h - what the window tests need around a real X server: a private
// virtual display of their own (so that no other test's windows or window manager
// move theirs), a few X queries through the client library loaded at run time
// (find a window by title, its geometry, ask it to close as a window manager
// would), and child processes with their own environment and captured output.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace hosttest {

// An Xvfb server on a display number it picked itself, 1920x1080, 24 bits.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"

private:
    pid_t pid_ = -1;
    std::string name_;
};

struct WindowInfo {
    unsigned long id = 0;
    int x = 0, y = 0;  // relative to the root window
    int width = 0, height = 0;
    bool viewable = false;
};

// A connection to one display through the X client library (opened with dlopen, so
// the tests need no link-time dependency of their own).
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    bool ok() const { return display_ != nullptr; }
    // The first window, searched depth-first from the root, named `title`.
    bool FindByTitle(const std::string& title, WindowInfo* out);
    // Polls every 20 ms, up to `seconds`, until such a window is viewable.
    bool WaitForTitle(const std::string& title, double seconds, WindowInfo* out);
    // The close button's message: WM_PROTOCOLS with WM_DELETE_WINDOW.
    bool RequestClose(unsigned long window);
    // The window's icon as the window manager reads it (_NET_WM_ICON: width,
    // height, then one ARGB value per pixel); empty when it has none.
    bool IconProperty(unsigned long window, std::vector<unsigned long>* out);
    // Keys held down repeat after `delayMs`, every `intervalMs`.
    bool SetAutoRepeat(unsigned int delayMs, unsigned int intervalMs);

private:
    bool Describe(unsigned long window, WindowInfo* out);
    bool Search(unsigned long window, const std::string& title, WindowInfo* out, int depth);
    void* display_ = nullptr;
};

struct ChildProcess {
    pid_t pid = -1;
    int outFd = -1;  // the child's standard output
};

// Starts `path` with `args` in `workdir` with exactly `env` ("NAME=value") as its
// environment.
ChildProcess Spawn(const std::string& path, const std::string& workdir, const std::vector<std::string>& env,
                   const std::vector<std::string>& args = {});
// Waits up to `seconds` for the child to end; its exit status, or -1 when it was
// killed by a signal or did not end in time (it is then killed).
int WaitExit(ChildProcess& child, double seconds);
// Everything the child wrote to its standard output (call after WaitExit).
std::string ReadAll(ChildProcess& child);

// The environment of this process without the named variables, plus `extra`.
std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& drop,
                                            const std::vector<std::string>& extra);

// A fresh temporary directory, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace hosttest
