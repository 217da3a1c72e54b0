// focus.cpp - the focus ring over a machine's controls, for play without a pointer:
// the play keys move it over the controls the machine listed in its latest tick
// (Left/Right along a row in reading order, Up/Down to the nearest control of the
// row above or below) and PK_A presses the control under it, as a click there
// would. The ring stays hidden until the first play-key press of a game and hides
// again at the next pointer press, so a pointer player's screens are untouched.
// The play flow (play.cpp) resets it at every start, runs m_FocusKeys before the
// machine's tick and m_FocusRing after the play screen is drawn.
#include "game/shell/game.h"

namespace {

constexpr int kOnSpin = -1;          // the focus of a fresh game: its SPIN control
constexpr float kRingMargin = 1.25f; // the ring is a quarter wider and taller than its control
constexpr float kClickVolume = 0.5f;

// The focus keys in the order they are asked; one press does one thing.
const int kFocusKeys[] = {PK_A, PK_LEFT, PK_RIGHT, PK_UP, PK_DOWN};

int FindSpin(const MachineControls& list) {
    for (int i = 0; i < list.count; ++i) {
        if (list.items[i].spin) return i;
    }
    return list.count > 0 ? 0 : kOnSpin;
}

// The next control of the same row in reading order, step +1 or -1; the ends stay.
int AlongRow(const MachineControls& list, int from, int step) {
    const int to = from + step;
    if (to < 0 || to >= list.count || list.items[to].row != list.items[from].row) return from;
    return to;
}

// The nearest control by x in the nearest row above (step -1) or below (+1); the
// first of equally near ones, so the reading order breaks ties.
int AcrossRows(const MachineControls& list, int from, int step) {
    const MachineControl& at = list.items[from];
    int row = -1;
    for (int i = 0; i < list.count; ++i) {
        const int r = list.items[i].row;
        const bool beyond = step < 0 ? r < at.row : r > at.row;
        if (beyond && (row < 0 || (step < 0 ? r > row : r < row))) row = r;
    }
    if (row < 0) return from;
    int best = from;
    float bestGap = 0;
    for (int i = 0; i < list.count; ++i) {
        if (list.items[i].row != row) continue;
        const float gap = list.items[i].x > at.x ? list.items[i].x - at.x : at.x - list.items[i].x;
        if (best == from || gap < bestGap) {
            best = i;
            bestGap = gap;
        }
    }
    return best;
}

}  // namespace

int kx_Tumbleroo_MyApp::m_ResetFocus() {
    focusControl = kOnSpin;
    focusShown = 0;
    focusBox = MachineControl();
    return 0;
}

// A press of a focus key takes the key (keyUsed) and shows the ring; PK_A hands the
// control a click for this tick through the button layer, so the machine's own
// rules decide what it does, pointerUsed included. A control the list no longer
// holds is never pressed.
int kx_Tumbleroo_MyApp::m_FocusKeys() {
    if (pointerDown != 0) focusShown = 0;
    kx_Tumbleroo_Machine* current = m_CurrentMachine();
    if (current == nullptr || paused != 0 || gameOver != 0 || keyUsed != 0) return 0;
    const MachineControls& list = current->Controls();
    int key = -1;
    for (int k : kFocusKeys) {
        if (key < 0 && m_PlayKey(k)) key = k;
    }
    if (key < 0 || list.count == 0) return 0;
    keyUsed = 1;
    focusShown = 1;
    if (focusControl == kOnSpin) focusControl = FindSpin(list);
    if (focusControl >= list.count) return 0;
    const int was = focusControl;
    switch (key) {
        case PK_A: m_PressControl(list.items[focusControl]); break;
        case PK_LEFT: focusControl = AlongRow(list, focusControl, -1); break;
        case PK_RIGHT: focusControl = AlongRow(list, focusControl, 1); break;
        case PK_UP: focusControl = AcrossRows(list, focusControl, -1); break;
        default: focusControl = AcrossRows(list, focusControl, 1); break;
    }
    if (focusControl != was) m_PlaySFX(kSfxClick, key == PK_LEFT || key == PK_UP ? 0.8f : 1.2f, kClickVolume, 0);
    return 0;
}

// The pause menu's ring, stretched over the control; where the control has gone
// from the list the ring stays where it was last drawn.
int kx_Tumbleroo_MyApp::m_FocusRing() {
    if (focusShown == 0) return 0;
    kx_Tumbleroo_Machine* current = m_CurrentMachine();
    if (current == nullptr) return 0;
    const MachineControls& list = current->Controls();
    if (focusControl >= 0 && focusControl < list.count) focusBox = list.items[focusControl];
    // The ring frame's size in virtual units at a draw size of 1.
    const float frameW = imageScale * static_cast<float>(slotInfo[3 * kImgIcons]);
    const float frameH = imageScale * static_cast<float>(slotInfo[3 * kImgIcons + 1]);
    if (!(frameW > 0 && frameH > 0)) return 0;
    m_ResetDraw();
    m_Ring(focusBox.x, focusBox.y, focusBox.w * kRingMargin / frameW, focusBox.h * kRingMargin / frameH);
    m_ResetDraw();
    return 0;
}
