// saved.cpp - the saved progress: the settings, the flag bits (as eight 32-bit
// badge words) and the five machines' score tables turned into one line of
// "|"-terminated numbers with a checksum per section, and read back section by
// section. The game loads once while it is created and saves on suspend, after an
// unlock and after every finished game.
//
// Layout of the text (140 numbers): 25 settings and their checksum; 8 badge words
// and their checksum; then per machine row 10 pairs (top-ten entry, last-ten entry)
// and the row checksum.
#include <climits>
#include <cstdint>
#include <string>

#include "game/shell/game.h"

namespace {

constexpr int kBadgeWords = 8;
constexpr int kBitsPerWord = 32;
constexpr int kSettingsSection = kSettingsCount + 1;  // values and checksum
constexpr int kBadgeSection = kBadgeWords + 1;
constexpr int kRowSection = 2 * kTableSize + 1;
constexpr int kTopWeightBase = 4;   // top-ten entry j weighs j + 4
constexpr int kLastWeightBase = 3;  // last-ten entry j of row m weighs m + 3 + j
constexpr int kSettingFloor10 = 10;
constexpr int kSettingFloor11 = 11;
constexpr int kSettingFloor12 = 12;
constexpr int kFloor64 = 64;
constexpr int kBelow8 = 8;      // settings[12] below this ...
constexpr int kRaisedTo = 10;   // ... becomes this, not 8
constexpr int kFirstMachine = 1;
constexpr int kLastMachine = 5;
const char kSeparator[] = "|";

// Checksums wrap in 32-bit two's complement: the sums are kept unsigned and only
// the result is read back as a signed word.
struct Checksum {
    std::uint32_t sum = 0;
    void Add(int weight, int value) {
        sum += static_cast<std::uint32_t>(weight) * static_cast<std::uint32_t>(value);
    }
    int Value() const { return static_cast<int>(sum); }
};

int TopEntry(int row, int j) { return TopTenAt(row + 1) + j; }
int LastEntry(int row, int j) { return LastTenAt(row + 1) + j; }
int TopWeight(int j) { return j + kTopWeightBase; }
int LastWeight(int row, int j) { return row + kLastWeightBase + j; }

// The three checksums, over values given by index: the save sums the arrays, the
// load the text's elements. setting(i) for i 0..24; word(b) for b 0..7; top(j) and
// last(j) for j 0..9 of one row.
template <class Setting>
int SettingsChecksum(Setting setting) {
    Checksum sum;
    for (int i = 0; i < kSettingsCount; ++i) sum.Add(i, setting(i));
    return sum.Value();
}

template <class Word>
int BadgeChecksum(Word word) {
    Checksum sum;
    for (int b = 0; b < kBadgeWords; ++b) sum.Add(1, word(b));
    return sum.Value();
}

template <class Top, class Last>
int RowChecksum(int row, Top top, Last last) {
    Checksum sum;
    for (int j = 0; j < kTableSize; ++j) {
        sum.Add(TopWeight(j), top(j));
        sum.Add(LastWeight(row, j), last(j));
    }
    return sum.Value();
}

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The C library's reading of a number (leading white space, a sign, digits up to
// the first other character, none at all reading 0), made safe: a value beyond the
// 32-bit range stops at the nearest limit instead of overflowing, and a character
// above the 8-bit range ends the number rather than passing for the digit or sign
// its low byte happens to spell.
int ReadNumber(const String& text) {
    const int n = text.Length();
    int i = 0;
    while (i < n && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::int64_t value = 0;
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > limit) {
            value = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// The parsed elements of a saved text. The piece after the last "|" is empty in a
// whole file; when it is not, it is either the last number of a file that only lost
// its final "|", or a number cut in two in a file cut short. A section that reaches
// it therefore loads only when its checksum holds: a cut number fails it and the
// section keeps the values it had, a whole one passes and nothing is lost.
class SavedElements {
public:
    explicit SavedElements(const String& text) : parts_(text.Split(String(kSeparator))) {}
    int At(int index) const { return ReadNumber(parts_[index]); }
    // A section of elements [first, end) is in the text at all.
    bool Holds(int end) const { return end <= Terminated() || (end == Terminated() + 1 && HasTail()); }
    // ... and ends on the last piece, which has no "|" after it.
    bool EndsUnterminated(int end) const { return end > Terminated(); }

private:
    int Terminated() const { return parts_.Length() - 1; }
    bool HasTail() const { return parts_[parts_.Length() - 1].Length() > 0; }
    Array<String> parts_;
};

// Whether the section of elements [cursor, end), whose stored checksum is `stored`
// and whose checksum over its elements is `sum`, is read; its place is kept either way.
bool Readable(const SavedElements& e, int end, int sum, int stored) {
    if (!e.Holds(end)) return false;
    return sum == stored || !e.EndsUnterminated(end);
}

void Append(std::string& out, int value) {
    out += std::to_string(value);
    out += kSeparator;
}

int BadgeWord(const Array<bool>& flags, int word) {
    std::uint32_t bits = 0;
    for (int i = 0; i < kBitsPerWord; ++i) {
        if (flags[word * kBitsPerWord + i]) bits |= 1u << i;
    }
    return static_cast<int>(bits);
}

}  // namespace

// ===========================================================================
// Save
// ===========================================================================

int kx_Tumbleroo_MyApp::m_Save() {
    std::string text;
    for (int i = 0; i < kSettingsCount; ++i) Append(text, settings[i]);
    Append(text, SettingsChecksum([this](int i) { return settings[i]; }));

    for (int b = 0; b < kBadgeWords; ++b) Append(text, BadgeWord(flags, b));
    Append(text, BadgeChecksum([this](int b) { return BadgeWord(flags, b); }));

    for (int m = 0; m < kMachineCount; ++m) {
        for (int j = 0; j < kTableSize; ++j) {
            Append(text, scores[TopEntry(m, j)]);
            Append(text, scores[LastEntry(m, j)]);
        }
        Append(text, RowChecksum(m, [&](int j) { return scores[TopEntry(m, j)]; },
                                 [&](int j) { return scores[LastEntry(m, j)]; }));
    }
    kx_app_SaveState(String(text.c_str()));
    return 0;
}

// ===========================================================================
// Load
// ===========================================================================

namespace {

// Settings: the values go straight into the array; a bad checksum leaves all of
// them 0 but the sound switch on.
int LoadSettings(const SavedElements& e, Array<int>& settings, int cursor) {
    const int end = cursor + kSettingsSection;
    if (!e.Holds(end)) return end;
    const int sum = SettingsChecksum([&](int i) { return e.At(cursor + i); });
    const int stored = e.At(cursor + kSettingsCount);
    if (!Readable(e, end, sum, stored)) return end;
    for (int i = 0; i < kSettingsCount; ++i) settings[i] = e.At(cursor + i);
    if (sum == stored) {
        Print(String("Settings Loaded"));
    } else {
        Print(String("Settings Checksum Invalid"));
        for (int i = 0; i < kSettingsCount; ++i) settings[i] = 0;
        settings[kSettingSound] = 1;
    }
    return cursor + kSettingsSection;
}

// Applied whether or not the settings were read: the last machine names one of the
// five, and entry 12 below 8 is raised to 10, not to 8.
void BoundSettings(Array<int>& settings) {
    if (settings[kSettingLastMachine] < kFirstMachine) settings[kSettingLastMachine] = kFirstMachine;
    if (settings[kSettingLastMachine] > kLastMachine) settings[kSettingLastMachine] = kLastMachine;
    if (settings[kSettingFloor10] < kFloor64) settings[kSettingFloor10] = kFloor64;
    if (settings[kSettingFloor11] < kFloor64) settings[kSettingFloor11] = kFloor64;
    if (settings[kSettingFloor12] < kBelow8) settings[kSettingFloor12] = kRaisedTo;
}

int LoadBadges(const SavedElements& e, Array<bool>& flags, int cursor) {
    const int end = cursor + kBadgeSection;
    if (!e.Holds(end)) return end;
    const int sum = BadgeChecksum([&](int b) { return e.At(cursor + b); });
    const int stored = e.At(cursor + kBadgeWords);
    if (!Readable(e, end, sum, stored)) return end;
    for (int b = 0; b < kBadgeWords; ++b) {
        const int word = e.At(cursor + b);
        for (int i = 0; i < kBitsPerWord; ++i) {
            flags[b * kBitsPerWord + i] = ((static_cast<std::uint32_t>(word) >> i) & 1u) != 0;
        }
    }
    if (sum == stored) {
        Print(String("Badges Loaded"));
    } else {
        Print(String("Badge Checksum Invalid"));
        for (int i = 0; i < kFlagsCount; ++i) flags[i] = false;
    }
    return cursor + kBadgeSection;
}

int LoadScoreRow(const SavedElements& e, Array<int>& scores, int row, int cursor) {
    const int end = cursor + kRowSection;
    if (!e.Holds(end)) return end;
    const int sum = RowChecksum(row, [&](int j) { return e.At(cursor + 2 * j); },
                                [&](int j) { return e.At(cursor + 2 * j + 1); });
    const int stored = e.At(cursor + 2 * kTableSize);
    if (!Readable(e, end, sum, stored)) return end;
    for (int j = 0; j < kTableSize; ++j) {
        scores[TopEntry(row, j)] = e.At(cursor + 2 * j);
        scores[LastEntry(row, j)] = e.At(cursor + 2 * j + 1);
    }
    const String name = String("Highscore ") + String(row);
    if (sum == stored) {
        Print(name + String(" Loaded"));
    } else {
        Print(name + String(" Checksum Invalid"));
        for (int j = 0; j < kTableSize; ++j) {
            scores[TopEntry(row, j)] = 0;
            scores[LastEntry(row, j)] = 0;
        }
    }
    return cursor + kRowSection;
}

}  // namespace

// Each section is read into the live arrays before its checksum is compared, and a
// failing section is reset, not restored; the sections are independent. Every
// section keeps its place in the text whether or not the ones before it were read:
// in a file cut short, the first incomplete section and all after it keep the
// values they had, rather than being read from another section's numbers.
int kx_Tumbleroo_MyApp::m_Load() {
    const SavedElements elements(kx_app_LoadState());
    int cursor = LoadSettings(elements, settings, 0);
    BoundSettings(settings);
    cursor = LoadBadges(elements, flags, cursor);
    for (int m = 0; m < kMachineCount; ++m) cursor = LoadScoreRow(elements, scores, m, cursor);
    return 0;
}
