// menu.cpp - the machine-select menu (state 1): the five machines as a list of
// large icons scrolling under a fixed selection band, the selected machine's best
// and last scores in a panel on the right, the sound switch and the title picture
// that opens the credits. Direction keys, dragging and taps select; an action key
// or a second tap starts the selected machine (state 11), and an action key on a
// locked machine buys it with coins. m_LoadMenu (state 2) runs once after a game.
// The dispatch in app.cpp calls both.
//
// Sections: return from a game; the tick; pictures and switch; score lists;
// machine list; drag, keys and credits.
#include <cmath>
#include <cstdint>
#include <climits>

#include "game/shell/game.h"
#include "game/slots/menu_layout.h"

namespace {

constexpr float kBandHalf = 32;       // an entry this close to the band is selected
constexpr float kIntroSlide = 4;      // slide of the panel, switch and title per step of menuIntro
constexpr float kDragFactor = 1.5f;
constexpr int kDragThreshold = 6;     // more movement than this in a tick is a drag
constexpr float kKeepOnScreen = 8;    // nudge per tick that keeps the selection visible
constexpr int kCostBase = 70;         // price of machine m: m * 25 - 70
constexpr int kCostStep = 25;
constexpr int kLineHeightField = 1;  // index offset of the line height in slotInfo
constexpr float kListTextSize = 1.5f;

constexpr int kFrameSoundOn = 4;
constexpr int kFrameSoundOff = 5;

// Play keys that start or buy a machine; 14 to 17 are asked for too and never held.
constexpr int kActionKeys[] = {PK_A, PK_B, PK_X, PK_Y, 14, 15, 16, 17};

// Coins can be given (a negative price) as well as taken; an edited state file may
// hold any amount, so the sum stops at the int limits instead of overflowing.
int PayPrice(int coins, int price) {
    const std::int64_t left = static_cast<std::int64_t>(coins) - price;
    if (left > INT_MAX) return INT_MAX;
    if (left < INT_MIN) return INT_MIN;
    return static_cast<int>(left);
}

}  // namespace

// ===========================================================================
// Return from a game
// ===========================================================================

// The machine just played comes back into the band, then its score is recorded.
int kx_Tumbleroo_MyApp::m_LoadMenu() {
    m_CentreMachine(machine);
    m_RecordScore();
    m_FinishFirstGame();
    return 0;
}

int kx_Tumbleroo_MyApp::m_CentreMachine(int m) {
    menuScrollY = kx_Tumbleroo_jscrh * kBandAt - static_cast<float>(m - 1) * kEntryPitch;
    return 0;
}

// ===========================================================================
// The tick
// ===========================================================================

// The list is drawn before the keys are read, so a key's new selection scrolls into
// the band from the next tick on; the list selects by position every tick.
int kx_Tumbleroo_MyApp::m_Menu() {
    m_CLS2D(0, 0, 80, 1);
    if (menuIntro < 0) menuIntro = static_cast<int>(static_cast<float>(menuIntro) + 0.25f);
    m_MenuPictures();
    m_MenuSoundSwitch();
    m_MenuScoreLists();
    m_MenuList();
    m_ResetDraw();
    m_MenuDrag();
    m_MenuKeys();
    m_MenuCreditsButton();
    m_MenuGuide();
    return 0;
}

// ===========================================================================
// Pictures and the sound switch
// ===========================================================================

// Everything slides in while menuIntro rises from -32 to 0: the big picture from
// above, the small one from the left, the score panel from the right.
int kx_Tumbleroo_MyApp::m_MenuPictures() {
    const float w = kx_Tumbleroo_jscrw;
    const float h = kx_Tumbleroo_jscrh;
    const float intro = static_cast<float>(menuIntro);
    m_ResetDraw();
    m_SetSize(3, kAbsent);
    m_DrawImg(kImgMenu, w * 0.5f, h * 0.5f + intro * 16, 0);
    m_SetSize(1.5f, kAbsent);
    m_Alpha(1);
    m_DrawImg(kImgMenu, w * kListColumn + intro * 20, h * 0.3f, 2);
    m_SetSize(1, kAbsent);
    m_SetCol(0, 0, 0, 0.4f);
    m_Rect(m_MenuPanelX(), 0, kPanelWidth, h);
    return 0;
}

float kx_Tumbleroo_MyApp::m_MenuPanelX() {
    return kx_Tumbleroo_jscrw - kPanelWidth - static_cast<float>(menuIntro) * kIntroSlide;
}

// The switch works even while the credits box is open. Any saved value other than 0
// shows as on, and the first press turns it into 0.
int kx_Tumbleroo_MyApp::m_MenuSoundSwitch() {
    m_ResetDraw();
    m_SetSize(2, kAbsent);
    m_SetCol(50, 250, 50, kAbsent);
    const int frame = settings[kSettingSound] != 0 ? kFrameSoundOn : kFrameSoundOff;
    const float x = static_cast<float>(menuIntro) * kIntroSlide + 32;
    const float y = std::trunc(kx_Tumbleroo_jscrh * 0.5f);
    if (m_Button(kImgIcons, x, y, frame) && pointerUsed == 0) {
        m_ToggleSound();
        pointerUsed = 1;
    }
    return 0;
}

// ===========================================================================
// Score lists
// ===========================================================================

// As many rows as fit in half the screen less 90 units, 1 to 10; with one row the
// headings lose their count.
namespace {

// The score texts change only with a table entry, the row count or the machine, yet
// the menu draws them on every tick: each is kept with the numbers it was built from
// and built again only when they differ (building both cost some 300 heap
// allocations per tick). Keyed by content, so it holds for any game object.
struct ScoreTextCache {
    int first = -1;
    int rows = 0;
    int values[kTableSize] = {};
    String text;

    bool Holds(const Array<int>& scores, int from, int count) const {
        if (from != first || count != rows) return false;
        for (int i = 0; i < count; ++i) {
            if (scores[from + i] != values[i]) return false;
        }
        return true;
    }
    void Keep(const Array<int>& scores, int from, int count, const String& built) {
        first = from;
        rows = count;
        for (int i = 0; i < count; ++i) values[i] = scores[from + i];
        text = built;
    }
};

// Function-local, so the cached texts are made after the runtime's own statics.
ScoreTextCache& BestScoreText() {
    static ScoreTextCache cache;
    return cache;
}

ScoreTextCache& LastScoreText() {
    static ScoreTextCache cache;
    return cache;
}

// The heading names the rows shown ("Highscore" / "Last" for a single row), then
// the game's own m_MenuScoreText builds the lines.
String ScoreText(kx_Tumbleroo_MyApp& game, ScoreTextCache& cache, bool best, int first, int rows) {
    const bool cacheable = game.machine >= 1 && game.machine <= kMachineCount;
    if (cacheable && cache.Holds(game.scores, first, rows)) return cache.text;
    String heading;
    if (rows == 1) {
        heading = best ? String("Highscore") : String("Last");
    } else {
        heading = (best ? String("Top ") : String("Last ")) + String(rows);
    }
    const String text = game.m_MenuScoreText(heading, first, rows);
    if (cacheable) cache.Keep(game.scores, first, rows, text);
    return text;
}

}  // namespace

int kx_Tumbleroo_MyApp::m_MenuScoreLists() {
    const float h = kx_Tumbleroo_jscrh;
    m_SetCol(255, 200, 100, 1);
    m_SetSize(kListTextSize, kAbsent);
    const int base = TopTenAt(machine);
    const int rows = m_MenuScoreRows();
    const String bestText = ScoreText(*this, BestScoreText(), true, base, rows);
    if (creditsOpen == 0) m_Text(m_MenuPanelX() + 20, 80, bestText, 0, 0);
    m_SetCol(200, 255, 100, 1);
    m_SetSize(kListTextSize, kAbsent);
    const String lastText = ScoreText(*this, LastScoreText(), false, LastTenAt(machine), rows);
    if (creditsOpen == 0) m_Text(m_MenuPanelX() + 20, h * 0.5f + 20, lastText, 0, 0);
    return 0;
}

// The font's line height at the current size; the loader has always set the font
// before the menu runs, but a missing height must not divide by zero.
int kx_Tumbleroo_MyApp::m_MenuScoreRows() {
    const int lineHeight =
        static_cast<int>(static_cast<float>(slotInfo[fontSlot * 3 + kLineHeightField]) * drawSizeY);
    if (lineHeight <= 0) return 1;
    int rows = static_cast<int>(kx_Tumbleroo_jscrh * 0.5f - 90) / lineHeight;
    if (rows < 1) rows = 1;
    if (rows > kTableSize) rows = kTableSize;
    return rows;
}

// The heading, then one line per entry, right-aligned in 8 characters.
String kx_Tumbleroo_MyApp::m_MenuScoreText(String heading, int first, int rows) {
    String text = heading;
    if (machine < 1 || machine > kMachineCount) return text;
    for (int i = 0; i < rows; ++i) text = text + String("\\n") + m_rstr(scores[first + i], 8, String(" "));
    return text;
}

// ===========================================================================
// Machine list
// ===========================================================================

int kx_Tumbleroo_MyApp::m_MenuList() {
    int y = static_cast<int>(menuScrollY);
    const float x = std::trunc(kx_Tumbleroo_jscrw * kListColumn);
    for (int j = 1; j <= kMachineCount; ++j) {
        m_MenuEntry(j, x, y);
        y += static_cast<int>(kEntryPitch);
    }
    return 0;
}

// One entry: selected by position when in the band, faded with its distance from
// it, and pressed by the pointer (a tap selects, a tap on the selection starts it
// whatever its unlock bit).
int kx_Tumbleroo_MyApp::m_MenuEntry(int j, float x, int y) {
    const float h = kx_Tumbleroo_jscrh;
    const float fy = static_cast<float>(y);
    const float distance = std::fabs(fy - h * kBandAt);
    m_SetCol(255, 255, 255, 1);
    if (distance < kBandHalf) {
        if (j != machine) m_PlaySFX(kSfxTick, 1, 1, 0);
        machine = j;
    }
    m_SetSize(kEntrySize, kAbsent);
    m_Alpha(1 - distance / (h * kFadeOver));
    if (j == machine) {
        m_SetSize(kSelectedSize, kAbsent);
        m_Alpha(1);
        if (y <= 15) menuScrollY += kKeepOnScreen;
        if (fy > h - 16) menuScrollY -= kKeepOnScreen;
    }
    int pressed = 0;
    if (y >= -71 && fy < h + 72) pressed = m_Button(kImgMachineIcons, x, fy, j - 1);
    if (pressed && pointerUsed == 0 && keyUsed == 0 && creditsOpen == 0) {
        keyUsed = 1;
        pointerUsed = 1;
        if (j == machine) {
            state = kScreenStartGame;
            m_PlaySFX(kSfxClick, 1, 0.5f, 0);
        } else {
            m_PlaySFX(kSfxTick, 1, 1, 0);
            machine = j;
            m_CentreMachine(j);
        }
    }
    if (j == machine) {
        m_SetSize(1, kAbsent);
        m_SetCol(255, 255, 255, 0.1f);
        m_Rect(x - 64, fy - 64, 128, 128);
    }
    return 0;
}

// ===========================================================================
// Drag, keys and credits
// ===========================================================================

// The list follows the pointer at one and a half times its motion; more than a few
// units of movement marks the press as a drag so its release is no tap.
int kx_Tumbleroo_MyApp::m_MenuDrag() {
    if (pointerWasDown == 0 || creditsOpen != 0 || keyUsed != 0) return 0;
    const int d = pointerPrevY - pointerY;
    if (std::abs(d) > kDragThreshold) pointerUsed = 1;
    menuScrollY -= kDragFactor * static_cast<float>(d);
    return 0;
}

int kx_Tumbleroo_MyApp::m_MachinePrice(int m) { return m_GetCost(m * kCostStep - kCostBase); }

bool kx_Tumbleroo_MyApp::m_MenuActionKey() {
    for (int key : kActionKeys) {
        if (m_PlayKey(key)) return true;
    }
    return false;
}

// One step per press; an action key starts an unlocked machine, or buys a locked
// one it can afford (the game starts on the next press, not this one).
int kx_Tumbleroo_MyApp::m_MenuKeys() {
    const int price = m_MachinePrice(machine);
    if ((m_PlayKey(PK_UP) || m_PlayKey(PK_LEFT)) && machine > 1 && keyUsed == 0 && creditsOpen == 0) {
        keyUsed = 1;
        machine -= 1;
        m_CentreMachine(machine);
        m_PlaySFX(kSfxClick, 0.8f, 0.5f, 0);
    }
    if ((m_PlayKey(PK_DOWN) || m_PlayKey(PK_RIGHT)) && machine < kMachineCount && keyUsed == 0 && creditsOpen == 0) {
        keyUsed = 1;
        machine += 1;
        m_CentreMachine(machine);
        m_PlaySFX(kSfxClick, 1.2f, 0.5f, 0);
    }
    const bool action = m_MenuActionKey();
    if (action && keyUsed == 0 && creditsOpen == 0 && m_GetFlag(settings[kSettingUnlockMask], machine)) {
        state = kScreenStartGame;
        pointerUsed = 1;
        keyUsed = 1;
        m_PlaySFX(kSfxClick, 1, 0.5f, 0);
    }
    if (action && keyUsed == 0 && creditsOpen == 0 && !m_GetFlag(settings[kSettingUnlockMask], machine) &&
        settings[kSettingCoins] >= price) {
        settings[kSettingCoins] = PayPrice(settings[kSettingCoins], price);
        settings[kSettingUnlockMask] = m_SetFlag(settings[kSettingUnlockMask], machine, 1);
        m_Save();
        pointerUsed = 1;
        keyUsed = 1;
        m_PlaySFX(kSfxUnlock, 1, 1, 0);
    }
    return 0;
}

// The title picture opens the credits box, which then runs after the menu every
// tick until a press or Back closes it.
int kx_Tumbleroo_MyApp::m_MenuCreditsButton() {
    m_SetSize(0.5f, kAbsent);
    const float y = static_cast<float>(menuIntro) * kIntroSlide + 40;
    if (m_Button(kImgTitle, kx_Tumbleroo_jscrw - 70, y, 0) && pointerUsed == 0 && creditsOpen == 0) {
        pointerUsed = 1;
        m_PlaySFX(kSfxTick, 1, 1, 0);
        creditsOpen = 1;
    }
    return 0;
}
