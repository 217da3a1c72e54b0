// paths_test.cpp - data paths and file opening, the state file (round trip, missing,
// empty, UTF-16 with a byte order mark, saves that fail without harming the old
// file), text loading, and whole-file data buffers. Every test works in a fresh
// temporary working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/app.h"
#include "host/paths.h"
#include "tests/support/file_size_limit.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Names in the working directory other than . and .., to spot stray temporaries.
std::vector<std::string> DirectoryEntries() {
    std::vector<std::string> names;
    FILE* ls = popen("ls -A", "r");
    char line[512];
    while (ls && std::fgets(line, sizeof line, ls)) {
        std::string name(line);
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names.push_back(name);
    }
    if (ls) pclose(ls);
    return names;
}

std::string Utf8(const String& s) { return s.ToUtf8(); }

// A fresh working directory per test, removed afterwards.
class InTempDir : public ::testing::Test {
protected:
    std::string oldDir, dir;
    gxtkApp* host = nullptr;

    void SetUp() override {
        char buf[4096];
        ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
        oldDir = buf;
        char tmpl[] = "/tmp/tumbleroo-paths-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        host = new gxtkApp();
    }

    void TearDown() override {
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
};

// ---------------------------------------------------------------------------
// Data paths
// ---------------------------------------------------------------------------

TEST(FixDataPath, CompletesBareNamesAndKeepsSchemesDrivesAndExplicitPaths) {
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("fonts/x.png"))), "quorvel://data/fonts/x.png");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("x.png"))), "quorvel://data/x.png");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("./a.png"))), "./a.png");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("/a.png"))), "/a.png");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("quorvel://data/a.png"))), "quorvel://data/a.png");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("quorvel://internal/a"))), "quorvel://internal/a");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("C:/a.png"))), "C:/a.png");
}

TEST(FixDataPath, PrefixesWhenTheFirstSlashComesBeforeTheColon) {
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("a/b:/c"))), "quorvel://data/a/b:/c");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String("a:b/c"))), "quorvel://data/a:b/c");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String(""))), "quorvel://data/");
    EXPECT_EQ(Utf8(kx_data_FixDataPath(String(".a"))), "quorvel://data/.a");
}

class FopenFile : public InTempDir {};

TEST_F(FopenFile, MapsTheThreeFoldersOntoTheWorkingDirectory) {
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(mkdir("data/sfx", 0755), 0);
    ASSERT_EQ(mkdir("internal", 0755), 0);
    ASSERT_EQ(mkdir("external", 0755), 0);
    WriteFile("data/sfx/0.wav", "wave");
    WriteFile("internal/i.txt", "in");
    WriteFile("external/e.txt", "ex");
    WriteFile("plain.txt", "plain");

    struct Case {
        const char* path;
        const char* content;
    } cases[] = {
        {"quorvel://data/sfx/0.wav", "wave"},
        {"quorvel://internal/i.txt", "in"},
        {"quorvel://external/e.txt", "ex"},
        {"plain.txt", "plain"},
        {"./data/sfx/0.wav", "wave"},
    };
    for (const Case& c : cases) {
        FILE* f = fopenFile(String(c.path), "rb");
        ASSERT_NE(f, nullptr) << c.path;
        char buf[16] = {};
        std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
        std::fclose(f);
        EXPECT_EQ(std::string(buf, n), c.content) << c.path;
    }
}

TEST_F(FopenFile, RefusesUnknownSchemeFoldersWithoutTouchingTheFileSystem) {
    // A folder literally named like the scheme must not be reached either.
    ASSERT_EQ(system("mkdir -p 'quorvel:/other' && echo x > 'quorvel:/other/a.txt'"), 0);
    EXPECT_EQ(fopenFile(String("quorvel://other/a.txt"), "rb"), nullptr);
    EXPECT_EQ(fopenFile(String("quorvel://other/new.txt"), "wb"), nullptr);
    EXPECT_FALSE(Exists("quorvel:/other/new.txt"));
    EXPECT_EQ(fopenFile(String("quorvel://data"), "rb"), nullptr) << "the folder's slash is part of the scheme";
    // The scheme is matched exactly, case included: this is a plain (missing) path.
    ASSERT_EQ(mkdir("data", 0755), 0);
    WriteFile("data/a", "a");
    EXPECT_EQ(fopenFile(String("QUORVEL://data/a"), "rb"), nullptr);
}

TEST_F(FopenFile, MissingFilesAndNamesWithANulGiveNull) {
    EXPECT_EQ(fopenFile(String("quorvel://data/missing.png"), "rb"), nullptr);
    WriteFile("a", "short");
    const char16_t withNul[] = {u'a', 0, u'b'};
    EXPECT_EQ(fopenFile(String(withNul, 3), "rb"), nullptr) << "must not open the file 'a'";
}

TEST_F(FopenFile, OpensNonAsciiNamesThroughTheirUtf8Form) {
    ASSERT_EQ(mkdir("data", 0755), 0);
    WriteFile("data/\xC3\xA9t\xC3\xA9.txt", "summer");
    FILE* f = fopenFile(String(u"quorvel://data/\u00e9t\u00e9.txt"), "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
}

// ---------------------------------------------------------------------------
// The state file
// ---------------------------------------------------------------------------

class StateFile : public InTempDir {};

TEST_F(StateFile, RoundTripsTextAsUtf8WithoutAMark) {
    String state(u"12|0|-7|\u00e9\u20ac|");
    EXPECT_EQ(host->SaveState(state), 0);
    EXPECT_EQ(ReadFile(".quorvelstate"), "12|0|-7|\xC3\xA9\xE2\x82\xAC|");
    EXPECT_TRUE(host->LoadState() == state);
    // Saving again replaces the whole content, never appends or leaves a tail.
    EXPECT_EQ(host->SaveState(String("1|")), 0);
    EXPECT_EQ(ReadFile(".quorvelstate"), "1|");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{".quorvelstate"}) << "no temporary file is left";
}

TEST_F(StateFile, MissingFileLoadsAsEmpty) {
    EXPECT_EQ(host->LoadState().Length(), 0);
}

TEST_F(StateFile, EmptyTextMakesAnEmptyFileThatLoadsAsEmpty) {
    EXPECT_EQ(host->SaveState(String()), 0);
    ASSERT_TRUE(Exists(".quorvelstate"));
    EXPECT_EQ(ReadFile(".quorvelstate"), "");
    EXPECT_EQ(host->LoadState().Length(), 0);
}

TEST_F(StateFile, LoadsUtf16WithAByteOrderMark) {
    // "7|\u00e9|" little-endian and big-endian, as another tool might write it.
    WriteFile(".quorvelstate", std::string("\xFF\xFE" "7\0|\0\xE9\0|\0", 10));
    EXPECT_TRUE(host->LoadState() == String(u"7|\u00e9|"));
    WriteFile(".quorvelstate", std::string("\xFE\xFF\0" "7\0|\0\xE9\0|", 10));
    EXPECT_TRUE(host->LoadState() == String(u"7|\u00e9|"));
}

TEST_F(StateFile, GoesThroughTheModuleFunctions) {
    auto* game = new kx_app_App();
    game->g_new();
    EXPECT_EQ(kx_app_SaveState(String("5|")), 0);
    EXPECT_TRUE(kx_app_LoadState() == String("5|"));
}

// A full disk: the write stops part-way, or writes nothing at all.
TEST_F(StateFile, AShortWriteLeavesTheOldFileIntact) {
    ASSERT_EQ(host->SaveState(String("old|content|")), 0);
    {
        testsupport::FileSizeLimit disk(11);
        EXPECT_EQ(host->SaveState(String("new|and|longer|content|")), -2);
    }
    EXPECT_EQ(ReadFile(".quorvelstate"), "old|content|");
    {
        testsupport::FileSizeLimit disk(0);
        EXPECT_EQ(host->SaveState(String("x|")), -2);
    }
    EXPECT_EQ(ReadFile(".quorvelstate"), "old|content|");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{".quorvelstate"}) << "the partial file is removed";
}

TEST_F(StateFile, AFirstSaveThatFailsLeavesNoStateFile) {
    {
        testsupport::FileSizeLimit disk(4);
        EXPECT_EQ(host->SaveState(String("abc|def|")), -2);
    }
    EXPECT_FALSE(Exists(".quorvelstate"));
    EXPECT_EQ(host->LoadState().Length(), 0);
}

TEST_F(StateFile, AStateFileThatCannotBeReplacedKeepsItsContentAndReportsIt) {
    // A directory in the state file's place: the new file cannot take its name.
    ASSERT_EQ(mkdir(".quorvelstate", 0755), 0);
    WriteFile(".quorvelstate/keep", "k");
    EXPECT_EQ(host->SaveState(String("1|")), -1);
    EXPECT_EQ(ReadFile(".quorvelstate/keep"), "k");
    EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{".quorvelstate"});
}

TEST_F(StateFile, AWorkingDirectoryThatIsGoneCannotBeSavedTo) {
    // Even root cannot create a file in a removed directory.
    std::string gone = dir + "/gone";
    ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    ASSERT_EQ(rmdir(gone.c_str()), 0);
    EXPECT_EQ(host->SaveState(String("1|")), -1);
    ASSERT_EQ(chdir(dir.c_str()), 0);
}

// A state file that is a link stays one: the save replaces the file at the end of
// the links, in its own folder, with that file's permissions; a link to a file not
// yet there makes that file.
TEST_F(StateFile, ALinkedStateFileStaysALinkAndItsTargetKeepsItsPermissions) {
    ASSERT_EQ(mkdir("keep", 0755), 0);
    WriteFile("keep/progress", "old|");
    ASSERT_EQ(chmod("keep/progress", 0640), 0);
    ASSERT_EQ(symlink("keep/progress", ".quorvelstate"), 0);
    ASSERT_EQ(host->SaveState(String("new|text|")), 0);
    struct stat st;
    ASSERT_EQ(lstat(".quorvelstate", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile("keep/progress"), "new|text|");
    ASSERT_EQ(stat("keep/progress", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(host->LoadState() == String("new|text|"));
    EXPECT_EQ(DirectoryEntries(), (std::vector<std::string>{".quorvelstate", "keep"}));

    // A chain of two links, the last one dangling.
    ASSERT_EQ(unlink(".quorvelstate"), 0);
    ASSERT_EQ(symlink("second", ".quorvelstate"), 0);
    ASSERT_EQ(symlink("keep/fresh", "second"), 0);
    ASSERT_EQ(host->SaveState(String("7|")), 0);
    ASSERT_EQ(lstat("second", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile("keep/fresh"), "7|");
}

// A crash between the write and the rename leaves a temporary; the next save
// removes it, and nothing else that merely looks like one.
TEST_F(StateFile, ALeftoverTemporaryIsRemovedAtTheNextSave) {
    WriteFile(".quorvelstate.2147483600.tmp", "half|a|sa");
    WriteFile(".quorvelstate.notes.tmp", "mine");
    WriteFile("other.12.tmp", "theirs");
    ASSERT_EQ(host->SaveState(String("1|")), 0);
    EXPECT_EQ(DirectoryEntries(),
              (std::vector<std::string>{".quorvelstate", ".quorvelstate.notes.tmp", "other.12.tmp"}));
    // Beside a linked state file the leftovers lie next to its target.
    ASSERT_EQ(mkdir("keep", 0755), 0);
    ASSERT_EQ(unlink(".quorvelstate"), 0);
    ASSERT_EQ(symlink("keep/progress", ".quorvelstate"), 0);
    WriteFile("keep/progress.2147483600.tmp", "half");
    ASSERT_EQ(host->SaveState(String("2|")), 0);
    EXPECT_FALSE(Exists("keep/progress.2147483600.tmp"));
    EXPECT_EQ(ReadFile("keep/progress"), "2|");
}

// ---------------------------------------------------------------------------
// Text and data buffers
// ---------------------------------------------------------------------------

class Loading : public InTempDir {};

TEST_F(Loading, LoadStringReadsThroughTheDataPathsAndFallsBackToEmpty) {
    ASSERT_EQ(mkdir("data", 0755), 0);
    WriteFile("data/t.txt", "\xEF\xBB\xBFhi \xC3\xA9");
    EXPECT_TRUE(host->LoadString(String("quorvel://data/t.txt")) == String(u"hi \u00e9"));
    // Invalid UTF-8 falls back to one character per byte.
    WriteFile("data/b.txt", "a\xFF");
    EXPECT_TRUE(host->LoadString(String("quorvel://data/b.txt")) == String(u"a\u00ff"));
    EXPECT_EQ(host->LoadString(String("quorvel://data/none.txt")).Length(), 0);
    EXPECT_EQ(host->LoadString(String("quorvel://nowhere/t.txt")).Length(), 0);
}

// Bytes no two blocks share, so a block out of place or lost shows.
std::string PatternBytes(int n) {
    std::string s(static_cast<std::size_t>(n), '\0');
    for (int i = 0; i < n; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    return s;
}

TEST_F(Loading, DataBufferLoadsFilesAcrossSeveralBlocks) {
    ASSERT_EQ(mkdir("data", 0755), 0);
    // Below a block, exactly one block, exactly three, and three and a bit.
    for (int size : {1, 4096, 3 * 4096, 3 * 4096 + 123}) {
        std::string bytes = PatternBytes(size);
        WriteFile("data/blob.bin", bytes);
        auto* buf = new KXDataBuffer();
        ASSERT_TRUE(buf->_Load(String("quorvel://data/blob.bin"))) << size;
        ASSERT_EQ(buf->Length(), size);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf->data), static_cast<std::size_t>(size)), bytes) << size;
        EXPECT_FALSE(buf->_Load(String("quorvel://data/blob.bin"))) << "a buffer holding data is not reloaded";
        EXPECT_EQ(buf->Length(), size);
        buf->Discard();
    }
}

TEST_F(Loading, DataBufferOfAnEmptyOrMissingFile) {
    WriteFile("empty.bin", "");
    auto* buf = new KXDataBuffer();
    EXPECT_FALSE(buf->_Load(String("missing.bin")));
    EXPECT_EQ(buf->data, nullptr);
    ASSERT_TRUE(buf->_Load(String("empty.bin")));
    EXPECT_EQ(buf->Length(), 0);
    EXPECT_FALSE(buf->_Load(String("empty.bin")));
    buf->Discard();
}

}  // namespace
