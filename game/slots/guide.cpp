// guide.cpp - the menu's guide: the selected machine's name and lock state (what
// unlocking pays or costs and whether the coins reach), a lock badge on every locked
// machine's icon, the player's coins and, until a first game is finished, one line of
// the controls along the bottom edge. m_Menu draws it after everything else it draws,
// so the records before it stay as they were and the credits box still covers it.
// Whether a first game has been finished is kept in the settings file
// (host/settings.h), never in the state file; m_OnCreate reads it, m_LoadMenu sets it.
//
// Sections: texts and layout; the guide; the first finished game.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/shell/game.h"
#include "game/slots/menu_layout.h"
#include "host/settings.h"

namespace {

// Machine names, in the menu's order.
const char* const kMachineNames[kMachineCount] = {"QuillmorPlat", "Cubewick", "Cometrow", "Fizzcrate", "Dice"};

const char* const kHintText = "Arrows/WASD choose  Z/Enter start  Esc back  Pad: stick + A  Mouse: click";
const char* const kFirstGameKey = "first-game-finished";

// Buttons sheet frames the guide draws, beside the machines' own icons.
constexpr int kFrameLockBadge = 14;
constexpr int kFrameCoin = 15;

constexpr float kSelectedHalf = kIconHalf * kSelectedSize;
constexpr float kMargin = 8;
constexpr float kAdvance = 7;         // the game font's advance at size 1
constexpr float kNameSize = 1.5f;
constexpr float kLineSize = 1;
constexpr float kBadgeShare = 0.3f;   // badge size against its icon's size
constexpr float kBadgeCorner = 0.7f;  // the badge's centre, of half the icon, from the icon's centre
constexpr float kCoinSize = 0.4f;     // the coin symbol: 64 x 0.4 units
constexpr float kCoinsFromBottom = 40;
constexpr float kHintFromBottom = 12;
constexpr float kBlockHeight = 56;     // the name and two lines of lock state
constexpr float kLeastRoom = 100;      // narrower beside the icon, the block moves above it
constexpr float kSwitchRight = 64;     // the sound switch's right edge

// The largest size up to `size` at which `chars` characters fit in `room` units.
float FitSize(float size, int chars, float room) {
    if (chars < 1 || room <= 0) return size;
    return std::min(size, room / (kAdvance * static_cast<float>(chars)));
}

}  // namespace

// ===========================================================================
// The guide
// ===========================================================================

int kx_Tumbleroo_MyApp::m_MenuGuide() {
    if (machine < 1 || machine > kMachineCount) return 0;
    m_ResetDraw();
    m_GuideBadges();
    m_GuideSelection();
    m_GuideCoins();
    if (firstGameDone == 0) m_GuideHint();
    m_ResetDraw();
    return 0;
}

// The badge sits on the icon's top right corner and fades and grows with the icon,
// as the list draws it.
int kx_Tumbleroo_MyApp::m_GuideBadges() {
    const float h = kx_Tumbleroo_jscrh;
    const float x = std::trunc(kx_Tumbleroo_jscrw * kListColumn);
    for (int j = 1; j <= kMachineCount; ++j) {
        if (m_GetFlag(settings[kSettingUnlockMask], j)) continue;
        const float y = std::trunc(menuScrollY) + static_cast<float>(j - 1) * kEntryPitch;
        if (y < -71 || y >= h + 72) continue;
        const float distance = std::fabs(y - h * kBandAt);
        const float size = j == machine ? kSelectedSize : kEntrySize;
        const float corner = kIconHalf * size * kBadgeCorner;
        m_SetCol(255, 255, 255, j == machine ? 1 : std::max(0.0f, 1 - distance / (h * kFadeOver)));
        m_SetSize(size * kBadgeShare, kAbsent);
        m_DrawImg(kImgMachineIcons, x + corner, y - corner, kFrameLockBadge);
    }
    return 0;
}

// Beside the selected icon, between it and the score panel: the name, then the lock
// state in one or two lines. A narrow screen shrinks the texts to the room there is.
int kx_Tumbleroo_MyApp::m_GuideSelection() {
    const float w = kx_Tumbleroo_jscrw;
    const float iconY = std::trunc(menuScrollY) + static_cast<float>(machine - 1) * kEntryPitch;
    float left = std::trunc(w * kListColumn) + kSelectedHalf + kMargin + kAdvance;
    float room = w - kPanelWidth - kMargin - left;
    // Level with the selected icon wherever the list has it, kept on screen and
    // above the hint's strip; a screen too narrow for that puts it above the icon,
    // right of the sound switch.
    float top = iconY - 30;
    if (room < kLeastRoom) {
        left = kSwitchRight + kMargin + kAdvance;
        room = w - kPanelWidth - kMargin - left;
        top = iconY - kSelectedHalf - kMargin - kBlockHeight;
    }
    const float lowest = kx_Tumbleroo_jscrh - kHintFromBottom - 8 - kBlockHeight;
    top = std::max(kMargin, std::min(top, lowest));
    const String name(kMachineNames[machine - 1]);
    m_SetCol(255, 230, 120, 1);
    m_SetSize(FitSize(kNameSize, name.Length(), room), kAbsent);
    m_Text(left, top, name, 0, 0);

    const int price = m_MachinePrice(machine);
    const int coins = settings[kSettingCoins];
    std::string first = "Unlocked";
    std::string second;
    if (!m_GetFlag(settings[kSettingUnlockMask], machine)) {
        first = price <= 0 ? "Unlock pays " + std::to_string(-price) + " coins"
                           : "Unlock costs " + std::to_string(price) + " coins";
        if (coins >= price) {
            second = "Press Z to unlock";
        } else {
            second = "Need " + std::to_string(static_cast<long long>(price) - coins) + " more coins";
        }
    }
    const int longest = static_cast<int>(std::max(first.size(), second.size()));
    const float size = FitSize(kLineSize, longest, room);
    m_SetSize(size, kAbsent);
    m_SetCol(120, 255, 200, 1);
    const std::string text = second.empty() ? first : first + "\\n" + second;
    const String lines(text.c_str());
    m_Text(left, top + 12 * kNameSize + 4, lines, 0, 0);
    return 0;
}

// Bottom left, below the sound switch and clear of the icon column.
int kx_Tumbleroo_MyApp::m_GuideCoins() {
    const float y = kx_Tumbleroo_jscrh - kCoinsFromBottom;
    const float symbolHalf = 32 * kCoinSize;
    m_SetCol(255, 255, 255, 1);
    m_SetSize(kCoinSize, kAbsent);
    m_DrawImg(kImgMachineIcons, kMargin + symbolHalf, y, kFrameCoin);
    const String coins(settings[kSettingCoins]);
    const float left = kMargin + 2 * symbolHalf + kMargin + kAdvance * kNameSize * 0.5f;
    const float room = std::trunc(kx_Tumbleroo_jscrw * kListColumn) - kSelectedHalf - left;
    m_SetCol(255, 215, 60, 1);
    m_SetSize(FitSize(kNameSize, coins.Length(), room), kAbsent);
    m_Text(left, y, coins, 0, 1);
    return 0;
}

// One line on a dark strip along the bottom edge, left of the score panel.
int kx_Tumbleroo_MyApp::m_GuideHint() {
    const float h = kx_Tumbleroo_jscrh;
    const float room = kx_Tumbleroo_jscrw - kPanelWidth - 2 * kMargin;
    const String hint(kHintText);
    const float size = FitSize(kLineSize, hint.Length(), room);
    const float y = h - kHintFromBottom;
    m_SetSize(1, kAbsent);
    m_SetCol(0, 0, 0, 0.5f);
    m_Rect(0, y - 8, kx_Tumbleroo_jscrw - kPanelWidth, 16);
    m_SetCol(220, 220, 235, 1);
    m_SetSize(size, kAbsent);
    m_Text(kMargin + kAdvance * size * 0.5f, y, hint, 0, 1);
    return 0;
}

// ===========================================================================
// The first finished game
// ===========================================================================

int kx_Tumbleroo_MyApp::m_ReadFirstGame() {
    std::string problem;
    const SettingsFile file = SettingsFile::Load(kSettingsFileName, &problem);
    firstGameDone = file.Get(kFirstGameKey) == "1" ? 1 : 0;
    return 0;
}

// Read afresh before the write, so keys another part keeps there are kept too.
int kx_Tumbleroo_MyApp::m_FinishFirstGame() {
    if (firstGameDone != 0) return 0;
    firstGameDone = 1;
    std::string problem;
    SettingsFile file = SettingsFile::Load(kSettingsFileName, &problem);
    file.Set(kFirstGameKey, "1");
    file.Save(kSettingsFileName);
    return 0;
}
