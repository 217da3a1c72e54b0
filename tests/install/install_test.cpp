// install_test.cpp - the game as a player gets it: `cmake --install` of this build
// into a temporary prefix, the files in their usual places, the desktop entry
// through desktop-file-validate, the AppStream metainfo through appstreamcli, the
// manual page against --help, the launcher's command line, and the installed
// launcher started under a private Xvfb with openbox, with $XDG_DATA_HOME pointing
// at a fresh folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <stb/stb_image.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/host/x11_harness.h"

namespace {

namespace fs = std::filesystem;

constexpr double kWindowSeconds = 30;
constexpr double kSaveSeconds = 15;
constexpr double kExitSeconds = 20;
constexpr int kDesktopIconSizes[] = {48, 64, 128, 256};
const std::string kMetainfo = std::string("share/metainfo/") + TUMBLEROO_APPSTREAM_ID + ".metainfo.xml";

// Runs a shell command; its standard output and error together, and its exit status.
struct Ran {
    int status = -1;
    std::string output;
};
Ran Shell(const std::string& command) {
    Ran r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool WaitFor(const std::function<bool()>& done, double seconds) {
    for (int waited = 0; waited < seconds * 1000; waited += 50) {
        if (done()) return true;
        usleep(50 * 1000);
    }
    return done();
}

// One installation shared by every test of the suite: installing is the slow part.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = std::make_unique<hosttest::TempDir>();
        prefix_ = root_->path() + "/prefix";
        Ran r = Shell(std::string(Quoted(TUMBLEROO_CMAKE_COMMAND)) + " --install " + Quoted(TUMBLEROO_BINARY_DIR) +
                      " --prefix " + Quoted(prefix_));
        installStatus_ = r.status;
        installLog_ = r.output;
    }
    static void TearDownTestSuite() { root_.reset(); }

    void SetUp() override { ASSERT_EQ(installStatus_, 0) << installLog_; }

    static fs::path At(const std::string& rel) { return fs::path(prefix_) / rel; }

    static std::unique_ptr<hosttest::TempDir> root_;
    static std::string prefix_;
    static int installStatus_;
    static std::string installLog_;
};
std::unique_ptr<hosttest::TempDir> Installed::root_;
std::string Installed::prefix_;
int Installed::installStatus_ = -1;
std::string Installed::installLog_;

bool Executable(const fs::path& p) { return fs::is_regular_file(p) && access(p.c_str(), X_OK) == 0; }

TEST_F(Installed, PutsProgramLauncherDataIconAndDesktopEntryInTheirPlaces) {
    EXPECT_TRUE(Executable(At("bin/tumbleroo")));
    EXPECT_TRUE(Executable(At("libexec/tumbleroo/tumbleroo")));
    // Every tier of the sheets, the default font, the sounds and the window icon.
    for (const char* f : {"zindle_font.png", "menu.png", "menu-hd.png", "menu-hd2.png", "Reel_Plat-hd2.png",
                          "common/icons-hd.png", "fonts/editundo.png", "sfx/001.wav", "icon.png"})
        EXPECT_TRUE(fs::is_regular_file(At(std::string("share/tumbleroo/data/") + f))) << f;
    EXPECT_TRUE(fs::is_regular_file(At("share/applications/tumbleroo.desktop")));

    EXPECT_TRUE(fs::is_regular_file(At(kMetainfo)));
    EXPECT_TRUE(fs::is_regular_file(At("share/man/man6/tumbleroo.6")));

    for (int size : kDesktopIconSizes) {
        int w = 0, h = 0, n = 0;
        std::string side = std::to_string(size);
        std::string icon = At("share/icons/hicolor/" + side + "x" + side + "/apps/tumbleroo.png").string();
        ASSERT_EQ(stbi_info(icon.c_str(), &w, &h, &n), 1) << icon;
        EXPECT_EQ(w, size);
        EXPECT_EQ(h, size);
    }
    // The largest desktop icon and the window icon are the same picture.
    EXPECT_EQ(ReadText(At("share/icons/hicolor/256x256/apps/tumbleroo.png")),
              ReadText(At("share/tumbleroo/data/icon.png")));
}

TEST_F(Installed, MetainfoValidatesAndCarriesTheReleaseLaunchableRatingAndScreenshots) {
    Ran r = Shell("appstreamcli validate --no-net " + Quoted(At(kMetainfo).string()));
    EXPECT_EQ(r.status, 0) << r.output;

    std::string text = ReadText(At(kMetainfo));
    EXPECT_NE(text.find(std::string("<id>") + TUMBLEROO_APPSTREAM_ID + "</id>"), std::string::npos);
    EXPECT_NE(text.find("<launchable type=\"desktop-id\">tumbleroo.desktop</launchable>"), std::string::npos);
    EXPECT_NE(text.find(std::string("<release version=\"") + TUMBLEROO_VERSION + "\""), std::string::npos)
        << "the release is this build's version";
    EXPECT_NE(text.find("<content_rating type=\"oars-1.1\">"), std::string::npos);
    // Every screenshot the README shows, and only files that exist in docs/.
    std::string readme = ReadText(TUMBLEROO_SOURCE_DIR "/README.md");
    for (const char* shot : {"menu.png", "quillmorplat.png", "pause.png", "game-over.png"}) {
        std::string rel = std::string("docs/screenshots/") + shot;
        EXPECT_NE(readme.find("(" + rel + ")"), std::string::npos) << rel;
        EXPECT_NE(text.find("/" + rel + "</image>"), std::string::npos) << rel;
        EXPECT_TRUE(fs::is_regular_file(fs::path(TUMBLEROO_SOURCE_DIR) / rel)) << rel;
    }
}

TEST_F(Installed, LauncherPassesOptionsToTheGameAndTheManualPageDescribesThem) {
    // Without a display: the command line is answered before any window is asked for.
    std::string launcher = "env -u DISPLAY -u WAYLAND_DISPLAY " + Quoted(At("bin/tumbleroo").string());
    // Standard output alone, then the exit status.
    Ran version = Shell("(" + launcher + " --version 2>/dev/null)");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, std::string("tumbleroo ") + TUMBLEROO_VERSION + "\n");

    Ran help = Shell("(" + launcher + " --help 2>/dev/null)");
    EXPECT_EQ(help.status, 0);
    Ran wrong = Shell("(" + launcher + " --bogus >/dev/null)");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.output.find("unknown option '--bogus'"), std::string::npos) << wrong.output;

    // Every option the help lists is in the manual page's OPTIONS (as roff writes it).
    std::string manual = ReadText(At("share/man/man6/tumbleroo.6"));
    size_t options = manual.find(".SH OPTIONS"), files = manual.find(".SH FILES");
    ASSERT_NE(options, std::string::npos);
    ASSERT_NE(files, std::string::npos);
    std::string described = manual.substr(options, files - options);
    int listed = 0;
    std::istringstream lines(help.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  -", 0) != 0) continue;
        std::istringstream words(line);
        for (std::string word; words >> word && word[0] == '-';) {
            if (word.back() == ',') word.pop_back();
            std::string roff;
            for (char c : word) roff += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_NE(described.find(roff), std::string::npos) << word << " is not in the manual page";
            ++listed;
        }
    }
    EXPECT_EQ(listed, 5) << help.output;  // --fullscreen, --windowed, -h, --help, --version
    for (const char* file : {".quorvelstate", ".tumbleroo-settings", "XDG_DATA_HOME"})
        EXPECT_NE(manual.find(file), std::string::npos) << file;
}

TEST_F(Installed, DesktopEntryValidatesAndNamesTheInstalledLauncherAndIcon) {
    fs::path entry = At("share/applications/tumbleroo.desktop");
    Ran r = Shell("desktop-file-validate " + Quoted(entry.string()));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "") << "desktop-file-validate had something to say";

    std::string text = ReadText(entry);
    EXPECT_NE(text.find("\nCategories=Game;ArcadeGame;\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=tumbleroo\n"), std::string::npos) << "the launcher's name in bin/";
    EXPECT_NE(text.find("\nIcon=tumbleroo\n"), std::string::npos) << "the icon's name in hicolor/";
    EXPECT_NE(text.find("\nName=Tumbleroo\n"), std::string::npos);
}

TEST_F(Installed, LauncherRefusesAnIncompleteInstallation) {
    hosttest::TempDir elsewhere;
    fs::path lonely = fs::path(elsewhere.path()) / "bin/tumbleroo";
    fs::create_directories(lonely.parent_path());
    fs::copy_file(At("bin/tumbleroo"), lonely);
    Ran r = Shell("XDG_DATA_HOME=" + Quoted(elsewhere.path() + "/xdg") + " " + Quoted(lonely.string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("the installation is incomplete"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(fs::path(elsewhere.path()) / "xdg/tumbleroo")) << "nothing made for a game that cannot start";
}

// A private display with openbox, which carries out iconify requests as a desktop would.
class Desktop {
public:
    explicit Desktop(const std::string& dir) {
        if (!display_.ok()) return;
        wm_ = fork();
        if (wm_ == 0) {
            FILE* quiet = freopen("/dev/null", "w", stdout);
            quiet = freopen("/dev/null", "w", stderr);
            (void)quiet;
            setenv("DISPLAY", display_.name().c_str(), 1);
            setenv("HOME", dir.c_str(), 1);
            execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
        ready_ = wm_ > 0 && WaitFor([&] { return Tool("xprop -root _NET_SUPPORTING_WM_CHECK").output.find("window id") != std::string::npos; }, 10);
    }
    ~Desktop() {
        if (wm_ > 0) {
            kill(wm_, SIGTERM);
            waitpid(wm_, nullptr, 0);
        }
    }
    bool ready() const { return ready_; }
    const std::string& name() const { return display_.name(); }
    Ran Tool(const std::string& command) const { return Shell("DISPLAY=" + display_.name() + " " + command); }

private:
    hosttest::PrivateDisplay display_;
    pid_t wm_ = -1;
    bool ready_ = false;
};

TEST_F(Installed, LauncherStartsTheGameWithItsDataAndKeepsTheStateFileInThePlayersFolder) {
    hosttest::TempDir home;
    Desktop desktop(home.path());
    ASSERT_TRUE(desktop.ready()) << "no Xvfb with openbox";
    fs::path xdg = fs::path(home.path()) / "xdg";
    fs::path player = xdg / "tumbleroo";
    std::string elsewhere = home.path();  // the desktop's own working folder, not the player's

    std::ofstream(fs::path(home.path()) / "leaks.supp") << "leak:libubsan.so\n";
    std::vector<std::string> env = hosttest::EnvironmentWithout(
        {"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "HOME", "ALSOFT_CONF", "LSAN_OPTIONS"},
        {"DISPLAY=" + desktop.name(), "XDG_DATA_HOME=" + xdg.string(), "HOME=" + home.path(),
         "ALSOFT_CONF=" TUMBLEROO_SOURCE_DIR "/tests/support/alsoft-null.conf",
         "LSAN_OPTIONS=suppressions=" + home.path() + "/leaks.supp:print_suppressions=0"});
    hosttest::ChildProcess game = hosttest::Spawn(At("bin/tumbleroo").string(), elsewhere, env);
    ASSERT_GT(game.pid, 0);

    hosttest::XClient x(desktop.name());
    hosttest::WindowInfo window;
    bool shown = x.WaitForTitle("Tumbleroo", kWindowSeconds, &window);
    if (!shown) {
        hosttest::WaitExit(game, 1);
        FAIL() << "no window titled Tumbleroo; the program wrote: " << hosttest::ReadAll(game);
    }

    // The player's folder holds a link to the installed data, which the game reads.
    ASSERT_TRUE(fs::is_symlink(player / "data"));
    EXPECT_TRUE(fs::equivalent(player / "data", At("share/tumbleroo/data")));
    // The window icon: width and height lead the property's numbers.
    Ran icon = desktop.Tool("xprop -notype -id " + std::to_string(window.id) + " 32c _NET_WM_ICON");
    EXPECT_EQ(icon.output.rfind("_NET_WM_ICON = 256, 256, ", 0), 0u) << "no window icon: " << icon.output.substr(0, 200);

    // Iconifying saves the progress.
    fs::path state = player / ".quorvelstate";
    EXPECT_FALSE(fs::exists(state));
    desktop.Tool("xdotool windowminimize " + std::to_string(window.id));
    EXPECT_TRUE(WaitFor([&] { return fs::is_regular_file(state) && fs::file_size(state) > 0; }, kSaveSeconds))
        << "no state file in " << player;

    ASSERT_TRUE(x.RequestClose(window.id));
    int status = hosttest::WaitExit(game, kExitSeconds);
    std::string output = hosttest::ReadAll(game);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output.find("failed"), std::string::npos) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << output;

    // Nothing was written anywhere but the player's folder.
    EXPECT_FALSE(fs::exists(fs::path(elsewhere) / ".quorvelstate"));
    EXPECT_FALSE(fs::exists(At("share/tumbleroo/data/.quorvelstate")));
    EXPECT_FALSE(fs::exists(At("bin/.quorvelstate")));
}

}  // namespace
