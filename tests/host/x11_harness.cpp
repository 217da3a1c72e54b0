// x11_harness.cpp - private virtual displays, X queries through the client library
// loaded at run time, and child processes for the window tests.
#include "tests/host/x11_harness.h"

#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace hosttest {
namespace {

constexpr int kXvfbStartSeconds = 10;
constexpr int kPollStepMs = 20;
constexpr int kMaxTreeDepth = 8;

// The client library's calls the tests use, resolved once.
struct Xlib {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XDefaultRootWindow) defaultRoot = nullptr;
    decltype(&XQueryTree) queryTree = nullptr;
    decltype(&XFetchName) fetchName = nullptr;
    decltype(&XFree) free = nullptr;
    decltype(&XGetWindowAttributes) getAttributes = nullptr;
    decltype(&XTranslateCoordinates) translate = nullptr;
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XSendEvent) sendEvent = nullptr;
    decltype(&XSync) sync = nullptr;
    decltype(&XkbSetAutoRepeatRate) setAutoRepeat = nullptr;
    decltype(&XGetWindowProperty) getProperty = nullptr;
    bool ok = false;

    Xlib() {
        void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (!lib) return;
        ok = Get(lib, "XOpenDisplay", &openDisplay) && Get(lib, "XCloseDisplay", &closeDisplay) &&
             Get(lib, "XDefaultRootWindow", &defaultRoot) && Get(lib, "XQueryTree", &queryTree) &&
             Get(lib, "XFetchName", &fetchName) && Get(lib, "XFree", &free) &&
             Get(lib, "XGetWindowAttributes", &getAttributes) &&
             Get(lib, "XTranslateCoordinates", &translate) && Get(lib, "XInternAtom", &internAtom) &&
             Get(lib, "XSendEvent", &sendEvent) && Get(lib, "XSync", &sync) &&
             Get(lib, "XkbSetAutoRepeatRate", &setAutoRepeat) && Get(lib, "XGetWindowProperty", &getProperty);
    }

    template <class F>
    static bool Get(void* lib, const char* name, F* fn) {
        *fn = reinterpret_cast<F>(dlsym(lib, name));
        return *fn != nullptr;
    }
};

Xlib& X() {
    static Xlib x;
    return x;
}

Display* Dpy(void* d) { return static_cast<Display*>(d); }

}  // namespace

// ---------------------------------------------------------------------------
// PrivateDisplay
// ---------------------------------------------------------------------------

// Xvfb picks a free display number itself and reports it on a pipe (-displayfd),
// so that tests running side by side never race for one.
PrivateDisplay::PrivateDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 1);
        dup2(devnull, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kXvfbStartSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (poll(&p, 1, kPollStepMs * 5) <= 0) continue;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        if (c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
}

PrivateDisplay::~PrivateDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
}

// ---------------------------------------------------------------------------
// XClient
// ---------------------------------------------------------------------------

XClient::XClient(const std::string& display) {
    if (X().ok) display_ = X().openDisplay(display.c_str());
}

XClient::~XClient() {
    if (display_) X().closeDisplay(Dpy(display_));
}

bool XClient::Describe(unsigned long window, WindowInfo* out) {
    XWindowAttributes attrs;
    if (!X().getAttributes(Dpy(display_), window, &attrs)) return false;
    Window child;
    int rx = 0, ry = 0;
    X().translate(Dpy(display_), window, X().defaultRoot(Dpy(display_)), 0, 0, &rx, &ry, &child);
    out->id = window;
    out->x = rx;
    out->y = ry;
    out->width = attrs.width;
    out->height = attrs.height;
    out->viewable = attrs.map_state == IsViewable;
    return true;
}

bool XClient::Search(unsigned long window, const std::string& title, WindowInfo* out, int depth) {
    char* name = nullptr;
    if (X().fetchName(Dpy(display_), window, &name) && name) {
        bool match = title == name;
        X().free(name);
        if (match) return Describe(window, out);
    }
    if (depth >= kMaxTreeDepth) return false;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!X().queryTree(Dpy(display_), window, &root, &parent, &children, &count)) return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) found = Search(children[i], title, out, depth + 1);
    if (children) X().free(children);
    return found;
}

bool XClient::FindByTitle(const std::string& title, WindowInfo* out) {
    if (!display_) return false;
    X().sync(Dpy(display_), False);
    return Search(X().defaultRoot(Dpy(display_)), title, out, 0);
}

// The property is read whole, in one request of up to kMaxIconLongs items.
bool XClient::IconProperty(unsigned long window, std::vector<unsigned long>* out) {
    constexpr long kMaxIconLongs = 1 << 20;
    out->clear();
    if (!display_) return false;
    Atom icon = X().internAtom(Dpy(display_), "_NET_WM_ICON", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (X().getProperty(Dpy(display_), window, icon, 0, kMaxIconLongs, False, AnyPropertyType, &type, &format, &count,
                        &after, &data) != Success) {
        return false;
    }
    // Format 32 comes back as an array of C longs, whatever their size, and signed:
    // only the low 32 bits are the value.
    if (data && format == 32) {
        const long* values = reinterpret_cast<const long*>(data);
        for (unsigned long i = 0; i < count; ++i) out->push_back(static_cast<unsigned long>(values[i]) & 0xffffffffUL);
    }
    if (data) X().free(data);
    return true;
}

bool XClient::WaitForTitle(const std::string& title, double seconds, WindowInfo* out) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (FindByTitle(title, out) && out->viewable) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
    }
    return false;
}

bool XClient::RequestClose(unsigned long window) {
    if (!display_) return false;
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = X().internAtom(Dpy(display_), "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(X().internAtom(Dpy(display_), "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    bool sent = X().sendEvent(Dpy(display_), window, False, NoEventMask, &ev) != 0;
    X().sync(Dpy(display_), False);
    return sent;
}

bool XClient::SetAutoRepeat(unsigned int delayMs, unsigned int intervalMs) {
    if (!display_) return false;
    bool ok = X().setAutoRepeat(Dpy(display_), XkbUseCoreKbd, delayMs, intervalMs);
    X().sync(Dpy(display_), False);
    return ok;
}

// ---------------------------------------------------------------------------
// Child processes
// ---------------------------------------------------------------------------

ChildProcess Spawn(const std::string& path, const std::string& workdir, const std::vector<std::string>& env,
                   const std::vector<std::string>& args) {
    ChildProcess child;
    int fds[2];
    if (pipe(fds) != 0) return child;
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    child.pid = fork();
    if (child.pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        if (chdir(workdir.c_str()) != 0) _exit(126);
        execve(path.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    child.outFd = fds[0];
    return child;
}

int WaitExit(ChildProcess& child, double seconds) {
    if (child.pid <= 0) return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int status = 0;
    for (;;) {
        pid_t r = waitpid(child.pid, &status, WNOHANG);
        if (r == child.pid) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            child.pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollStepMs));
    }
    child.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(ChildProcess& child) {
    std::string out;
    if (child.outFd < 0) return out;
    char buf[4096];
    ssize_t n;
    while ((n = read(child.outFd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    close(child.outFd);
    child.outFd = -1;
    return out;
}

std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& drop,
                                            const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        bool dropped = false;
        for (const std::string& d : drop) dropped = dropped || d == name;
        if (!dropped) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// ---------------------------------------------------------------------------
// TempDir
// ---------------------------------------------------------------------------

TempDir::TempDir() {
    char tmpl[] = "/tmp/tumbleroo-host-XXXXXX";
    if (mkdtemp(tmpl)) path_ = tmpl;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::string cmd = "rm -rf '" + path_ + "'";
    if (std::system(cmd.c_str()) != 0) {
        // Nothing more to do: a leftover temporary folder harms no later test.
    }
}

}  // namespace hosttest
