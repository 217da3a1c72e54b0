// session.cpp - the program under a private display with a window manager,
// driven by xdotool and watched through screenshots, its output and its files.
#include "tests/e2e/session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "tests/e2e/progress_file.h"

namespace e2e {
namespace {

constexpr double kWindowManagerSeconds = 10;
constexpr double kWindowSeconds = 20;
// Nine update ticks at 60 per second: on a busy machine the program may not poll
// its events for a while, and a press that is over before it looks is never seen.
constexpr const char* kHold = "0.15";
// And as long again after the release before anything else is sent. The program
// reads only what is held each time it polls; a release and the next press that
// reach it in one poll (a slow frame, as in the sanitized build) read as the first
// press still held, and the second is never seen.
constexpr const char* kRest = "0.15";

const std::string kBinary = TUMBLEROO_BINARY_DIR "/tumbleroo";
const std::string kData = TUMBLEROO_BINARY_DIR "/data";

Display* Dpy(void* d) { return static_cast<Display*>(d); }

// Screenshots of a window that has just been unmapped fail with an X error; the
// caller sees an empty picture instead of the default handler ending the tests.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

int ChannelOf(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long v = (pixel & mask) >> shift;
    unsigned long max = mask >> shift;
    return static_cast<int>(v * 255 / max);
}

// The sanitizer build's undefined-behaviour runtime keeps two small blocks of its
// own to the end of a process that drew with the GL driver; the leak check is
// told to ignore what that runtime allocated, and nothing else.
std::string LeakOptions(const std::string& dir) {
    std::string path = dir + "/leaks.supp";
    std::ofstream(path) << "leak:libubsan.so\n";
    const char* given = std::getenv("LSAN_OPTIONS");
    return "LSAN_OPTIONS=" + std::string(given ? given : "") + (given ? ":" : "") + "suppressions=" + path +
           ":print_suppressions=0";
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, double seconds, int stepMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

std::string ArtifactDir() {
    std::string dir = TUMBLEROO_BINARY_DIR "/e2e-artifacts";
    mkdir(dir.c_str(), 0755);
    return dir;
}

Session::Session(const std::string& name) : Session(name, Options{}) {}

Session::Session(const std::string& name, const Options& options) : name_(name) {
    XSetErrorHandler(IgnoreXErrors);
    if (!display_.ok() || dir_.path().empty()) return;
    xdisplay_ = XOpenDisplay(display_.name().c_str());
    if (!xdisplay_) return;
    if (options.withData && symlink(kData.c_str(), (dir() + "/data").c_str()) != 0) return;
    soundConf_ = WriteSoundConf(options);
    args_ = options.args;
    ready_ = StartWindowManager();
}

Session::~Session() {
    if (child_.pid > 0) {
        kill(child_.pid, SIGKILL);
        waitpid(child_.pid, nullptr, 0);
    }
    if (child_.outFd >= 0) close(child_.outFd);
    if (wmPid_ > 0) {
        kill(wmPid_, SIGTERM);
        waitpid(wmPid_, nullptr, 0);
    }
    if (xdisplay_) XCloseDisplay(Dpy(xdisplay_));
}

std::string Session::WriteSoundConf(const Options& options) {
    std::string path = dir() + "/alsoft.conf";
    std::ofstream out(path);
    if (options.soundConf.empty())
        out << "[general]\ndrivers = null\n";
    else
        out << options.soundConf;
    return path;
}

// openbox announces itself on the root window once it manages the screen; windows
// mapped before that would be left unmanaged. Its iconify animation holds the
// pointer for a moment after a window comes back, which would swallow the first
// click a test gives right after restoring; the configuration turns it off.
bool Session::StartWindowManager() {
    std::string config = dir() + "/openbox-rc.xml";
    std::ofstream(config) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<openbox_config xmlns=\"http://openbox.org/3.4/rc\">\n"
                             "  <theme><animateIconify>no</animateIconify></theme>\n"
                             "</openbox_config>\n";
    wmPid_ = fork();
    if (wmPid_ == 0) {
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        setenv("DISPLAY", display_.name().c_str(), 1);
        execlp("openbox", "openbox", "--sm-disable", "--config-file", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (wmPid_ < 0) return false;
    Display* d = Dpy(xdisplay_);
    Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    return WaitUntil(
        [&] {
            Atom type;
            int format;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            bool found = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                                            &count, &after, &data) == Success &&
                         count == 1;
            if (data) XFree(data);
            return found;
        },
        kWindowManagerSeconds, 20);
}

bool Session::Launch() {
    if (!ready_) return false;
    output_.clear();
    exitStatus_ = -2;
    window_ = 0;
    std::vector<std::string> env = hosttest::EnvironmentWithout(
        {"DISPLAY", "WAYLAND_DISPLAY", "ALSOFT_CONF", "LSAN_OPTIONS"},
        {"DISPLAY=" + display_.name(), "ALSOFT_CONF=" + soundConf_, LeakOptions(dir())});
    child_ = hosttest::Spawn(kBinary, dir(), env, args_);
    if (child_.pid <= 0) return false;
    fcntl(child_.outFd, F_SETFL, fcntl(child_.outFd, F_GETFL) | O_NONBLOCK);
    hosttest::XClient x(display_.name());
    hosttest::WindowInfo info;
    if (!x.WaitForTitle("Tumbleroo", kWindowSeconds, &info)) return false;
    window_ = info.id;
    return true;
}

bool Session::running() {
    if (child_.pid <= 0) return false;
    int status = 0;
    pid_t r = waitpid(child_.pid, &status, WNOHANG);
    if (r != child_.pid) return true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    child_.pid = -1;
    return false;
}

hosttest::WindowInfo Session::Geometry() {
    hosttest::WindowInfo info;
    hosttest::XClient x(display_.name());
    x.FindByTitle("Tumbleroo", &info);
    return info;
}

std::string Session::ReadState() const {
    std::string text;
    ReadFile(StatePath(), &text);
    return text;
}

std::string Session::Output() {
    if (child_.outFd >= 0) {
        char buf[4096];
        ssize_t n;
        while ((n = read(child_.outFd, buf, sizeof buf)) > 0) output_.append(buf, static_cast<std::size_t>(n));
    }
    return output_;
}

bool Session::WaitForOutput(const std::string& text, double seconds) {
    return WaitUntil([&] { return Output().find(text) != std::string::npos; }, seconds);
}

Image Session::Shot() {
    Display* d = Dpy(xdisplay_);
    if (!d || !window_) return {};
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(d, window_, &attrs) || attrs.map_state != IsViewable) return {};
    XImage* xi = XGetImage(d, window_, 0, 0, attrs.width, attrs.height, AllPlanes, ZPixmap);
    XSync(d, False);
    if (!xi) return {};
    Image img(attrs.width, attrs.height);
    for (int y = 0; y < attrs.height; ++y)
        for (int x = 0; x < attrs.width; ++x) {
            unsigned long p = XGetPixel(xi, x, y);
            img.Set(x, y, {ChannelOf(p, xi->red_mask), ChannelOf(p, xi->green_mask), ChannelOf(p, xi->blue_mask)});
        }
    XDestroyImage(xi);
    return img;
}

bool Session::WaitForShot(const std::function<bool(const Image&)>& test, double seconds, Image* shot) {
    return WaitUntil(
        [&] {
            *shot = Shot();
            return !shot->empty() && test(*shot);
        },
        seconds, 30);
}

void Session::Keep(const Image& shot, const std::string& label) const {
    shot.SavePng(ArtifactDir() + "/" + name_ + "-" + label + ".png");
}

bool Session::Xdotool(const std::string& args) {
    std::string cmd = "DISPLAY=" + display_.name() + " xdotool " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

void Session::Key(const std::string& keyName) {
    Xdotool("keydown " + keyName + " sleep " + kHold + " keyup " + keyName + " sleep " + kRest);
}

void Session::Click(int x, int y) {
    std::string win = std::to_string(window_);
    Xdotool("mousemove --window " + win + " " + std::to_string(x) + " " + std::to_string(y) +
            " mousedown 1 sleep " + kHold + " mouseup 1 sleep " + kRest);
}

void Session::QuickKey(const std::string& keyName) { Xdotool("key " + keyName); }

void Session::QuickClick(int x, int y) {
    Xdotool("mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " + std::to_string(y) +
            " click 1");
}

void Session::Resize(int width, int height) {
    Xdotool("windowsize " + std::to_string(window_) + " " + std::to_string(width) + " " + std::to_string(height));
}

void Session::Iconify() { Xdotool("windowminimize " + std::to_string(window_)); }

void Session::Restore() { Xdotool("windowactivate --sync " + std::to_string(window_)); }

int Session::Close(double seconds) {
    hosttest::XClient x(display_.name());
    if (window_) x.RequestClose(window_);
    return WaitExit(seconds);
}

int Session::WaitExit(double seconds) {
    if (child_.pid > 0) {
        WaitUntil([&] { return !running(); }, seconds, 20);
        if (child_.pid > 0) {
            kill(child_.pid, SIGKILL);
            waitpid(child_.pid, nullptr, 0);
            child_.pid = -1;
            exitStatus_ = -1;
        }
    }
    Output();
    return exitStatus_;
}

bool Session::WaitForStateChange(const std::string& before, double seconds, std::string* after) {
    return WaitUntil(
        [&] {
            std::string now;
            if (!ReadFile(StatePath(), &now) || now == before || now.empty()) return false;
            // A save replaces the file; wait for a whole text rather than a partial one.
            if (!ParseProgress(now).wellFormed) return false;
            *after = now;
            return true;
        },
        seconds, 50);
}

}  // namespace e2e
