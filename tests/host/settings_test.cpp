// settings_test.cpp - the settings file: key=value lines kept in order with keys
// this program does not know, a damaged or unreadable file read as empty with one
// line saying why, and a write that fails without harming the old file.
#include "host/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/support/file_size_limit.h"
#include "tests/host/x11_harness.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class Settings : public ::testing::Test {
protected:
    hosttest::TempDir dir;
    std::string path = dir.path() + "/.tumbleroo-settings";
    std::string problem;
};

TEST_F(Settings, AMissingFileIsEmptyAndSilent) {
    SettingsFile s = SettingsFile::Load(path, &problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(s.Text(), "");
    EXPECT_EQ(s.Get("window"), "");
}

// A later version's keys and a player's comments survive a change made by this one.
TEST_F(Settings, ChangingOneKeyKeepsTheOthersInTheirOrder) {
    WriteFile(path, "# mine\r\nfirstGame=done\n\nwindow=windowed\nzoom=2");
    SettingsFile s = SettingsFile::Load(path, &problem);
    ASSERT_EQ(problem, "");
    EXPECT_EQ(s.Get("firstGame"), "done");
    EXPECT_EQ(s.Get("zoom"), "2");
    s.Set("window", "fullscreen");
    s.Set("sound", "off");
    ASSERT_TRUE(s.Save(path));
    EXPECT_EQ(ReadFile(path), "firstGame=done\nwindow=fullscreen\nzoom=2\nsound=off\n");
    SettingsFile again = SettingsFile::Load(path, &problem);
    EXPECT_EQ(again.Text(), s.Text());
}

TEST_F(Settings, ADamagedFileIsEmptyWithOneLineNamingWhere) {
    const std::string damaged[] = {
        "window=fullscreen\nthis line has no equals sign\n",
        "=fullscreen\n",
        "win dow=fullscreen\n",
        std::string("window=full\0screen\n", 19),
        "window=\x01\x02\n",
    };
    for (const std::string& text : damaged) {
        WriteFile(path, text);
        SettingsFile s = SettingsFile::Load(path, &problem);
        EXPECT_EQ(s.Text(), "") << text;
        EXPECT_NE(problem.find(path + " is damaged at line "), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos);
    }
    WriteFile(path, "window=fullscreen\nbroken\n");
    SettingsFile::Load(path, &problem);
    EXPECT_NE(problem.find("line 2"), std::string::npos) << problem;
}

TEST_F(Settings, AnUnreadableFileIsEmptyWithALineSayingSo) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);  // a folder in the file's place
    SettingsFile s = SettingsFile::Load(path, &problem);
    EXPECT_EQ(s.Text(), "");
    EXPECT_NE(problem.find("cannot be read"), std::string::npos) << problem;

    ASSERT_EQ(rmdir(path.c_str()), 0);
    WriteFile(path, std::string(70 * 1024, 'x'));
    SettingsFile::Load(path, &problem);
    EXPECT_NE(problem.find("too large"), std::string::npos) << problem;
}

TEST_F(Settings, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    WriteFile(path, "window=windowed\n");
    SettingsFile s = SettingsFile::Load(path, &problem);
    s.Set("window", "fullscreen");
    {
        testsupport::FileSizeLimit fullDisk(4);  // the new text is longer than this
        ASSERT_TRUE(fullDisk.ok());
        EXPECT_FALSE(s.Save(path));
    }
    EXPECT_EQ(ReadFile(path), "window=windowed\n");
    struct stat st;
    std::string temp = path + "." + std::to_string(static_cast<long>(getpid())) + ".tmp";
    EXPECT_NE(stat(temp.c_str(), &st), 0) << "a temporary was left behind";
}

}  // namespace
