// lossnote.cpp - the note that says why a life went: the first time in a session a
// machine takes a life it names the reason, and one short line shows over the play
// screen for two seconds, fading at the end. The machines call m_NoteLoss as they
// take the life; m_Game draws the note after everything else on the play screen.
#include "game/shell/game.h"

namespace {

constexpr int kNoteTicks = 2 * kTicksPerSecond;   // shown two seconds in all
constexpr int kFadeTicks = kTicksPerSecond / 2;   // the last half second fades out
constexpr float kNoteSize = 1.5f;
constexpr float kNoteRow = 0.12f;                 // of the screen height

}  // namespace

// Only the session's first lost life is explained; later ones pass silently.
int kx_Tumbleroo_MyApp::m_NoteLoss(String why) {
    if (lossNoteShown != 0) return 0;
    lossNoteShown = 1;
    lossNote = why;
    lossNoteTicks = kNoteTicks;
    return 0;
}

int kx_Tumbleroo_MyApp::m_DrawLossNote() {
    if (lossNoteTicks <= 0) return 0;
    const float left = static_cast<float>(lossNoteTicks);
    const float alpha = lossNoteTicks > kFadeTicks ? 1 : left / kFadeTicks;
    lossNoteTicks -= 1;
    m_SetSize(kNoteSize, kAbsent);
    m_SetCol(0, 0, 0, alpha * 0.5f);
    const float width = 7 * kNoteSize * static_cast<float>(lossNote.Length() + 2);
    const float y = kx_Tumbleroo_jscrh * kNoteRow;
    m_SetSize(1, kAbsent);
    m_Rect(kx_Tumbleroo_jscrw * 0.5f - width * 0.5f, y - 12, width, 24);
    m_SetSize(kNoteSize, kAbsent);
    m_SetCol(255, 240, 200, alpha);
    m_Text(kx_Tumbleroo_jscrw * 0.5f, y, lossNote, 1, 1);
    m_ResetDraw();
    return 0;
}
