// state_damage_test.cpp - the saved progress under damage: a well-filled state file
// written by the game itself, cut at every length and changed by thousands of seeded
// random byte edits (single bytes, bursts, insertions, deletions), must load without
// harm, each section either whole or reset with its message exactly as the format
// decides; and saves that fail (a full disk, a write that stops part-way, a folder
// that cannot be written, even by root) leave the old file intact, byte for byte.
#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <random>

#include "progress_fixture.h"
#include "tests/support/file_size_limit.h"

namespace {

using progresstest::ProgressTest;
using progresstest::ReadStateFile;
using progresstest::WriteStateFile;

// Sections of the saved text, in order: settings, badges, five score rows.
constexpr int kSections = 7;
constexpr int kSettingsPieces = 26;  // 25 values and the checksum
constexpr int kBadgeWords = 8;
constexpr int kBadgePieces = kBadgeWords + 1;
constexpr int kRowPieces = 21;       // ten pairs and the checksum
constexpr int kSavedScores = 100;
const char kInvalidUtf8Line[] = "Invalid UTF-8!\n";

int SectionStart(int s) { return s == 0 ? 0 : s == 1 ? kSettingsPieces : kSettingsPieces + kBadgePieces + (s - 2) * kRowPieces; }
int SectionPieces(int s) { return s == 0 ? kSettingsPieces : s == 1 ? kBadgePieces : kRowPieces; }

std::string LoadedLine(int s) {
    if (s == 0) return "Settings Loaded\n";
    if (s == 1) return "Badges Loaded\n";
    return "Highscore " + std::to_string(s - 2) + " Loaded\n";
}
std::string InvalidLine(int s) {
    if (s == 0) return "Settings Checksum Invalid\n";
    if (s == 1) return "Badge Checksum Invalid\n";
    return "Highscore " + std::to_string(s - 2) + " Checksum Invalid\n";
}

// The three saved arrays.
struct Progress {
    std::vector<int> settings = std::vector<int>(kSettingsCount, 0);
    std::vector<bool> flags = std::vector<bool>(kFlagsCount, false);
    std::vector<int> scores = std::vector<int>(kSavedScores, 0);
};

// The number a piece of the file stands for: the C library's reading (white space,
// a sign, the digits up to the first other byte, 0 without digits) held at the
// 32-bit limits. Bytes beyond ASCII are never digits, whatever they decode to.
int ReadPiece(const std::string& piece) {
    size_t i = 0;
    while (i < piece.size() && (piece[i] == ' ' || (piece[i] >= '\t' && piece[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t v = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) v = std::min(limit, v * 10 + (piece[i] - '0'));
    return static_cast<int>(negative ? -v : v);
}

// The pieces a text splits into at "|"; only pieces ended by a "|" are elements.
std::vector<std::string> Elements(const std::string& text) {
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t at = text.find('|'); at != std::string::npos; at = text.find('|', from)) {
        out.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    return out;
}

void Store(int s, const std::vector<int>& v, Progress& p) {
    if (s == 0) {
        std::copy(v.begin(), v.end(), p.settings.begin());
    } else if (s == 1) {
        for (int b = 0; b < kBadgeWords; ++b) {
            for (int i = 0; i < 32; ++i) p.flags[b * 32 + i] = (static_cast<std::uint32_t>(v[b]) >> i) & 1u;
        }
    } else {
        const int m = s - 2;
        for (int j = 0; j < 10; ++j) {
            p.scores[m * 10 + j] = v[2 * j];
            p.scores[50 + m * 10 + j] = v[2 * j + 1];
        }
    }
}

void Reset(int s, Progress& p) {
    if (s == 0) {
        std::fill(p.settings.begin(), p.settings.end(), 0);
        p.settings[kSettingSound] = 1;
    } else if (s == 1) {
        std::fill(p.flags.begin(), p.flags.end(), false);
    } else {
        Store(s, std::vector<int>(2 * 10, 0), p);
    }
}

void Bound(Progress& p) {
    p.settings[1] = std::clamp(p.settings[1], 1, 5);
    p.settings[10] = std::max(p.settings[10], 64);
    p.settings[11] = std::max(p.settings[11], 64);
    if (p.settings[12] < 8) p.settings[12] = 10;
}

// What a load of `text` over `before` must leave and print, worked out from the
// format's layout and the checksums the game's save writes for the same values: each
// section in turn is read when all its elements are there (and none after a section
// that was not), kept when its checksum matches, reset when not.
struct Outcome {
    Progress progress;
    std::string printed;
    std::array<int, kSections> state{};  // 0 not read, 1 loaded, 2 reset
};

// The checksum the game's own save writes for each section's values (the save is
// held to a golden file in saved_test.cpp), so the tests never compute one.
using SavedSums = std::array<int, kSections>;

Outcome Predict(const std::string& text, const Progress& before, const SavedSums& sums) {
    Outcome o{before, "", {}};
    std::vector<std::string> e = Elements(text);
    // The piece after the last "|", when there is one, ends a section only when
    // that section's checksum holds with it.
    const std::string tail = text.substr(text.rfind('|') == std::string::npos ? 0 : text.rfind('|') + 1);
    const int terminated = static_cast<int>(e.size());
    if (!tail.empty()) e.push_back(tail);
    for (int s = 0; s < kSections; ++s) {
        const int start = SectionStart(s), n = SectionPieces(s);
        if (static_cast<int>(e.size()) < start + n) break;
        std::vector<int> values;
        for (int k = 0; k < n - 1; ++k) values.push_back(ReadPiece(e[start + k]));
        const bool good = sums[s] == ReadPiece(e[start + n - 1]);
        if (!good && start + n > terminated) break;
        if (good) {
            Store(s, values, o.progress);
        } else {
            Reset(s, o.progress);
        }
        o.printed += good ? LoadedLine(s) : InvalidLine(s);
        o.state[s] = good ? 1 : 2;
    }
    Bound(o.progress);
    return o;
}

// Texts a byte order mark would make another encoding; edits that make one are redrawn.
bool StartsWithMark(const std::string& t) {
    auto at = [&t](size_t i) { return static_cast<unsigned char>(t[i]); };
    if (t.size() >= 2 && ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0xFF && at(1) == 0xFE))) return true;
    return t.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF;
}

bool AllAscii(const std::string& t) {
    return std::all_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Standard output of a load caught in one file kept for the whole test: thousands
// of loads each print their messages, and a capture file per load costs more than
// the load. Only the load itself writes into it; failures still reach the screen.
class StdoutTap {
public:
    StdoutTap() {
        if (!open_) Open();
        std::fflush(stdout);
        start_ = lseek(fd_, 0, SEEK_END);
        dup2(fd_, STDOUT_FILENO);
    }
    std::string Take() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        const off_t end = lseek(fd_, 0, SEEK_END);
        std::string out(static_cast<size_t>(end - start_), '\0');
        if (!out.empty() && pread(fd_, out.data(), out.size(), start_) != static_cast<ssize_t>(out.size())) out.clear();
        return out;
    }
    // Lets go of the file; the fixture calls it after every test.
    static void Close() {
        if (!open_) return;
        close(saved_);
        close(fd_);
        open_ = false;
    }

private:
    static void Open() {
        char name[] = "/tmp/tumbleroo-stdout-XXXXXX";
        fd_ = mkstemp(name);
        unlink(name);
        saved_ = dup(STDOUT_FILENO);
        open_ = true;
    }
    static inline bool open_ = false;
    static inline int fd_ = -1;
    static inline int saved_ = -1;
    off_t start_ = 0;
};

class StateDamage : public ProgressTest {
protected:
    Progress saved;     // what the well-filled file holds
    std::string text;   // the file the game wrote for it

    void TearDown() override {
        StdoutTap::Close();
        ProgressTest::TearDown();
    }

    void SetUp() override {
        ProgressTest::SetUp();
        Fill();
        Put(saved);
        game->m_Save();
        text = ReadStateFile();
        ASSERT_EQ(Elements(text).size(), 140u);
    }

    // Settings of every sign and size, flag words with and without the sign bit,
    // top-ten tables in order and last-ten tables as they come, both 32-bit limits.
    void Fill() {
        std::mt19937 rng(31337);
        for (int i = 0; i < kSettingsCount; ++i) saved.settings[i] = static_cast<int>(rng() % 200001) - 100000;
        saved.settings[1] = 4;
        saved.settings[2] = 0x1d;
        saved.settings[3] = 1234;
        saved.settings[5] = 0;
        saved.settings[10] = 100;
        saved.settings[11] = 64;
        saved.settings[12] = 9;
        saved.settings[20] = INT_MIN;
        for (int i = 0; i < kFlagsCount; ++i) saved.flags[i] = rng() % 3 == 0;
        saved.flags[31] = saved.flags[95] = true;
        for (int m = 0; m < 5; ++m) {
            std::vector<int> top(10);
            for (int& v : top) v = static_cast<int>(rng() % 5000000);
            std::sort(top.rbegin(), top.rend());
            for (int j = 0; j < 10; ++j) {
                saved.scores[m * 10 + j] = top[j];
                saved.scores[50 + m * 10 + j] = static_cast<int>(rng() % 100000);
            }
        }
        saved.scores[0] = INT_MAX;
        saved.scores[77] = -5;
    }

    void Put(const Progress& p) {
        for (int i = 0; i < kSettingsCount; ++i) game->settings[i] = p.settings[i];
        for (int i = 0; i < kFlagsCount; ++i) game->flags[i] = p.flags[i];
        for (int i = 0; i < kSavedScores; ++i) game->scores[i] = p.scores[i];
    }
    Progress Held() const {
        Progress p;
        for (int i = 0; i < kSettingsCount; ++i) p.settings[i] = game->settings[i];
        for (int i = 0; i < kFlagsCount; ++i) p.flags[i] = game->flags[i];
        for (int i = 0; i < kSavedScores; ++i) p.scores[i] = game->scores[i];
        return p;
    }

    // Values no section of the file holds, kept as they are by the bounds, so a
    // section that was not read shows.
    static Progress Before() {
        Progress p;
        for (int i = 0; i < kSettingsCount; ++i) p.settings[i] = 300 + i;
        p.settings[1] = 3;
        for (int i = 0; i < kFlagsCount; ++i) p.flags[i] = i % 5 == 1;
        for (int i = 0; i < kSavedScores; ++i) p.scores[i] = -7 * (i + 1);
        return p;
    }

    // Loads `damaged` over Before(); returns what the load printed, without the
    // text decoder's own complaint about bytes that are not UTF-8.
    std::string LoadOver(const std::string& damaged, bool* complained) {
        WriteStateFile(damaged);
        Put(Before());
        StdoutTap tap;
        game->m_Load();
        std::string out = tap.Take();
        *complained = out.rfind(kInvalidUtf8Line, 0) == 0;
        if (*complained) out.erase(0, sizeof kInvalidUtf8Line - 1);
        return out;
    }

    // What the game's save writes as each section's checksum for the values the
    // sections of `text` hold (sections the text lacks count as zeros); the held
    // progress is put back afterwards.
    SavedSums SumsSavedFor(const std::string& text) {
        std::vector<std::string> e = Elements(text);
        const size_t lastSeparator = text.rfind('|');
        const std::string tail = text.substr(lastSeparator == std::string::npos ? 0 : lastSeparator + 1);
        if (!tail.empty()) e.push_back(tail);
        const Progress held = Held();
        Progress values;
        for (int s = 0; s < kSections; ++s) {
            const int start = SectionStart(s), n = SectionPieces(s);
            if (static_cast<int>(e.size()) < start + n) break;
            std::vector<int> v;
            for (int k = 0; k < n - 1; ++k) v.push_back(ReadPiece(e[start + k]));
            Store(s, v, values);
        }
        Put(values);
        game->m_Save();
        const std::vector<std::string> saved = Elements(ReadStateFile());
        Put(held);
        SavedSums sums{};
        for (int s = 0; s < kSections; ++s) sums[s] = ReadPiece(saved[SectionStart(s) + SectionPieces(s) - 1]);
        return sums;
    }

    // The load of `damaged` against the format's outcome: messages, then every
    // saved array entry. Returns the outcome for the caller's own checks.
    Outcome Check(const std::string& damaged, const std::string& label) {
        bool complained = false;
        const std::string out = LoadOver(damaged, &complained);
        Outcome o = Predict(damaged, Before(), SumsSavedFor(damaged));
        EXPECT_EQ(out, o.printed) << label;
        EXPECT_TRUE(!complained || !AllAscii(damaged)) << label << ": plain ASCII reported as not UTF-8";
        const Progress held = Held();
        EXPECT_EQ(held.settings, o.progress.settings) << label;
        EXPECT_EQ(held.flags, o.progress.flags) << label;
        EXPECT_EQ(held.scores, o.progress.scores) << label;
        return o;
    }
};

// ---------------------------------------------------------------------------
// Cut short
// ---------------------------------------------------------------------------

// A cut keeps every section whose last "|" survives; the rest keep what they held.
TEST_F(StateDamage, EveryCutOfARealSaveLoadsTheWholeSectionsAndLeavesTheRest) {
    const std::vector<std::string> whole = Elements(text);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string part = text.substr(0, cut);
        const Outcome o = Check(part, "cut at " + std::to_string(cut));
        const int complete = static_cast<int>(Elements(part).size());
        Progress expect = Before();
        for (int s = 0; s < kSections; ++s) {
            // The section's last number without its "|" counts when whole.
            const int end = SectionStart(s) + SectionPieces(s);
            const bool whole_section =
                complete >= end || (complete == end - 1 && cut < text.size() && text[cut] == '|');
            ASSERT_EQ(o.state[s], whole_section ? 1 : 0) << "cut at " << cut << ", section " << s;
            if (whole_section) {
                std::vector<int> v;
                for (int k = 0; k < SectionPieces(s) - 1; ++k) v.push_back(ReadPiece(whole[SectionStart(s) + k]));
                Store(s, v, expect);
            }
        }
        Bound(expect);
        const Progress held = Held();
        ASSERT_EQ(held.settings, expect.settings) << "cut at " << cut;
        ASSERT_EQ(held.flags, expect.flags) << "cut at " << cut;
        ASSERT_EQ(held.scores, expect.scores) << "cut at " << cut;
    }
    RecordProperty("cuts", static_cast<int>(text.size() + 1));
}

// ---------------------------------------------------------------------------
// Random edits
// ---------------------------------------------------------------------------

// Bytes an edit writes: mostly what the file is made of, then junk of every kind.
char RandomByte(std::mt19937& rng) {
    static const std::string kCommon = "0123456789|-+ ";
    const unsigned pick = rng() % 100;
    if (pick < 70) return kCommon[rng() % kCommon.size()];
    if (pick < 80) return static_cast<char>('a' + rng() % 26);
    if (pick < 85) return static_cast<char>(rng() % 32);  // control bytes and NUL
    return static_cast<char>(0x80 + rng() % 0x80);         // beyond ASCII
}

enum class Edit { Byte, Burst, Insert, Delete };

std::string Mutate(const std::string& t, Edit kind, std::mt19937& rng) {
    std::string out = t;
    const size_t at = rng() % t.size();
    const size_t len = 1 + rng() % 12;
    switch (kind) {
        case Edit::Byte: out[at] = RandomByte(rng); break;
        case Edit::Burst:
            for (size_t i = at; i < std::min(t.size(), at + len); ++i) out[i] = RandomByte(rng);
            break;
        case Edit::Insert: {
            std::string junk;
            for (size_t i = 0; i < len; ++i) junk += RandomByte(rng);
            out.insert(at, junk);
            break;
        }
        case Edit::Delete: out.erase(at, len); break;
    }
    return out;
}

// For an edit that leaves every "|" in place, the sections whose pieces it touched.
std::array<bool, kSections> Touched(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::array<bool, kSections> touched{};
    for (int s = 0; s < kSections; ++s) {
        for (int k = SectionStart(s); k < SectionStart(s) + SectionPieces(s); ++k) touched[s] = touched[s] || a[k] != b[k];
    }
    return touched;
}

TEST_F(StateDamage, RandomEditsResetExactlyTheSectionsTheyBreak) {
    constexpr int kEdits = 3000;
    std::mt19937 rng(20261208);
    const std::vector<std::string> whole = Elements(text);
    std::array<int, kSections> resets{}, kept{};
    int aligned = 0;
    for (int n = 0; n < kEdits; ++n) {
        const Edit kind = static_cast<Edit>(n % 4);
        std::string damaged;
        do {
            damaged = Mutate(text, kind, rng);
        } while (StartsWithMark(damaged) || damaged == text);
        const std::string label = "edit " + std::to_string(n) + ": " + damaged;
        const Outcome o = Check(damaged, label);
        if (HasFailure()) return;
        const std::vector<std::string> pieces = Elements(damaged);
        for (int s = 0; s < kSections; ++s) (o.state[s] == 2 ? resets : kept)[s] += 1;
        // Where every "|" stayed put, a section the edit did not touch loads whole,
        // with the values the game saved.
        if (pieces.size() != whole.size() || damaged.back() != '|') continue;
        ++aligned;
        const std::array<bool, kSections> touched = Touched(whole, pieces);
        for (int s = 0; s < kSections; ++s) {
            if (touched[s]) continue;
            ASSERT_EQ(o.state[s], 1) << label << ": untouched section " << s << " not loaded";
        }
        const Progress held = Held();
        if (!touched[0]) {
            ASSERT_EQ(held.settings, saved.settings) << label;
        }
        if (!touched[1]) {
            ASSERT_EQ(held.flags, saved.flags) << label;
        }
        for (int m = 0; m < 5; ++m) {
            if (touched[2 + m]) continue;
            for (int j = 0; j < 10; ++j) {
                ASSERT_EQ(held.scores[m * 10 + j], saved.scores[m * 10 + j]) << label;
                ASSERT_EQ(held.scores[50 + m * 10 + j], saved.scores[50 + m * 10 + j]) << label;
            }
        }
    }
    // The edits reached every section, broke each of them and left each of them whole.
    for (int s = 0; s < kSections; ++s) {
        EXPECT_GT(resets[s], 10) << "section " << s;
        EXPECT_GT(kept[s], 10) << "section " << s;
    }
    EXPECT_GT(aligned, kEdits / 4);
    RecordProperty("edits", kEdits);
    RecordProperty("aligned", aligned);
    int resetTotal = 0;
    for (int r : resets) resetTotal += r;
    RecordProperty("sectionResets", resetTotal);
}

// ---------------------------------------------------------------------------
// Saves that fail
// ---------------------------------------------------------------------------

// Names in the working folder the state file's temporaries would use.
std::vector<std::string> Temporaries(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != kStateFileName && name.rfind(kStateFileName, 0) == 0) out.push_back(name);
    }
    return out;
}

// The progress changed after the good save, so a save that got through would show.
void ChangeEverything(kx_Tumbleroo_MyApp* game) {
    game->settings[3] += 1;
    game->flags[7] = !game->flags[7];
    for (int i = 0; i < kSavedScores; ++i) game->scores[i] ^= 0x10;
}

using testsupport::FileSizeLimit;

TEST_F(StateDamage, ASaveOnAFullDiskLeavesTheOldFileByteForByte) {
    ChangeEverything(game);
    {
        FileSizeLimit full(64);  // far less than a saved text
        ASSERT_TRUE(full.ok());
        game->m_Save();
        EXPECT_EQ(kx_app_SaveState(String("a text longer than the sixty-four bytes the disk has room for, "
                                          "so that its write cannot complete|")),
                  -2);
    }
    EXPECT_EQ(ReadStateFile(), text);
    EXPECT_TRUE(Temporaries(gametest::WorkDir()).empty());
    bool complained = false;
    EXPECT_EQ(LoadOver(text, &complained), LoadedLine(0) + LoadedLine(1) + LoadedLine(2) + LoadedLine(3) +
                                               LoadedLine(4) + LoadedLine(5) + LoadedLine(6));
    EXPECT_EQ(Held().scores, saved.scores);
}

TEST_F(StateDamage, ASaveThatStopsPartWayLeavesTheOldFileByteForByte) {
    ChangeEverything(game);
    for (size_t room : {size_t{0}, size_t{1}, text.size() / 2, text.size() - 1}) {
        {
            FileSizeLimit disk(room);
            game->m_Save();
        }
        EXPECT_EQ(ReadStateFile(), text) << room << " bytes written";
        EXPECT_TRUE(Temporaries(gametest::WorkDir()).empty()) << room;
    }
    // With room for all of it the same save goes through.
    {
        FileSizeLimit disk(text.size() + 64);
        game->m_Save();
    }
    EXPECT_NE(ReadStateFile(), text);
}

// Root writes into any folder whatever its mode; without the capability to
// override file permissions this thread is held to the mode like anyone else.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        ok_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutPermissionOverride() {
        if (ok_) syscall(SYS_capset, &header_, saved_);
    }
    bool ok() const { return ok_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool ok_ = false;
};

TEST_F(StateDamage, ASaveIntoAReadOnlyFolderFailsAndLeavesTheOldFile) {
    const std::string folder = gametest::WorkDir() + "/read-only";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    game->m_Save();
    std::string here;
    {
        std::ifstream in(std::string(kStateFileName), std::ios::binary);
        here.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(here, text);
    ChangeEverything(game);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    int result = 0;
    bool blocked = false;
    {
        WithoutPermissionOverride guard;
        const int probe = open("probe", O_WRONLY | O_CREAT | O_EXCL, 0644);
        blocked = probe < 0;
        if (probe >= 0) close(probe);
        if (blocked) {
            game->m_Save();
            result = kx_app_SaveState(String("1|"));
        }
    }
    chmod(folder.c_str(), 0755);
    std::string after;
    {
        std::ifstream in(std::string(kStateFileName), std::ios::binary);
        after.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::vector<std::string> temporaries = Temporaries(".");
    ASSERT_EQ(chdir(gametest::WorkDir().c_str()), 0);
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(blocked) << "the folder could not be made read-only for this process";
    EXPECT_EQ(result, -1);
    EXPECT_EQ(after, here);
    EXPECT_TRUE(temporaries.empty());
}

}  // namespace
