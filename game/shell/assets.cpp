// assets.cpp - the game's image, font and sound slots: the resolution tier chosen
// from the window size, file names, the reload that the create step, a resize and a
// change of sound bank start, the loader that reads one asset per tick while the
// loading screen shows, and sound effects on a ring of channels.
// m_OnUpdate runs m_Loader while loadStep is positive; every screen plays through
// m_PlaySFX.
//
// Sections: tiers and names; slots; reload and loader; sound effects.
#include "game/shell/game.h"

namespace {

constexpr int kTierLow = 1;
constexpr int kTierHd = 2;
constexpr int kTierHd2 = 4;
constexpr int kHdAbove = 630;    // either side above this: "-hd"
constexpr int kHd2Above = 1230;  // either side above this: "-hd2"
constexpr int kFontCell = 16;
constexpr int kFontGlyphs = 128;
constexpr int kCentre = kx_graphics_Image::CentreHandle;


// One loading step: an image sheet, the font, a sound or a bank sound.
enum StepKind { STEP_IMAGE, STEP_FONT, STEP_SFX, STEP_BANK_SFX, STEP_REELS };

struct LoadStep {
    StepKind kind;
    int slot;
    const char* name;
    int frameWidth, frameHeight, frames;  // the font: advance, line height
    int alsoSound = 0;                    // a sound step's second slot, 0 none
};

// Steps 1 to 28, in loading order.
const LoadStep kSteps[kLoaderLastStep] = {
    {STEP_IMAGE, kImgIcons, "common/icons", 32, 32, 16},
    {STEP_IMAGE, kImgMachineIcons, "common/Buttons", 64, 64, 16},
    {STEP_IMAGE, kImgDpad, "common/dpad", 32, 32, 16},
    {STEP_IMAGE, kImgIcade, "common/icade", 64, 64, 2},
    {STEP_IMAGE, kImgTitle, "common/VexoLogo", 256, 256, 1},
    {STEP_FONT, kImgFont, "fonts/editundo", 7, 10, 0},
    {STEP_SFX, kSfxChime, nullptr, 0, 0, 0},
    {STEP_SFX, kSfxSpare, nullptr, 0, 0, 0},
    {STEP_SFX, kSfxClick, nullptr, 0, 0, 0},
    {STEP_SFX, kSfxTick, nullptr, 0, 0, 0, kSfxUnlock},  // the menu's sounds: tick and unlock
    {STEP_IMAGE, kImgMenu, "menu", 256, 256, 4},
    {STEP_IMAGE, kImgLogo, "logo", 256, 128, 1},
    {STEP_IMAGE, kImgParts, "parts", 8, 8, 16},
    {STEP_IMAGE, kImgBadges, "BadgesA", 64, 64, 64},
    {STEP_IMAGE, kImgOverlay, "Overlay", 128, 128, 4},
    {STEP_SFX, kSfxReelStop, nullptr, 0, 0, 0},
    {STEP_SFX, kSfxWhirr, nullptr, 0, 0, 0},
    {STEP_REELS, kImgReels, nullptr, 32, 32, 32},
    {STEP_BANK_SFX, kSfxBank1 + 0, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 1, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 2, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 3, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 4, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 5, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 6, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 7, nullptr, 0, 0, 0},
    {STEP_BANK_SFX, kSfxBank1 + 8, nullptr, 0, 0, 0},
    {STEP_IMAGE, kImgHeart, "heart", 32, 32, 1},
};

bool ImageSlotValid(int slot) { return slot >= 0 && slot < kImageSlots; }
bool SoundSlotValid(int slot) { return slot >= 0 && slot < kSoundSlots; }

}  // namespace

// ===========================================================================
// Tiers and names
// ===========================================================================

// The later test overrides the earlier one, so a window above 1230 on either side
// takes the sharpest sheets.
int kx_Tumbleroo_MyApp::m_ChooseTier() {
    const int width = kx_graphics_DeviceWidth();
    const int height = kx_graphics_DeviceHeight();
    tier = kTierLow;
    if (width > kHdAbove || height > kHdAbove) tier = kTierHd;
    if (width > kHd2Above || height > kHd2Above) tier = kTierHd2;
    imageScale = 1.0f / static_cast<float>(tier);
    return 0;
}

String kx_Tumbleroo_MyApp::m_ImageFileName(String name) {
    if (tier == kTierHd) name = name + String("-hd");
    if (tier == kTierHd2) name = name + String("-hd2");
    return name + String(".png");
}

String kx_Tumbleroo_MyApp::m_SfxFileName(int number) {
    String prefix("sfx/");
    if (number >= 0 && number < 10) prefix = String("sfx/00");
    if (number >= 10 && number < 100) prefix = String("sfx/0");
    return prefix + String(number) + String(".wav");
}

// ===========================================================================
// Slots
// ===========================================================================

// The slot is emptied before the read so the old sheet can be collected; a missing
// file leaves it empty, and the replay skips its records.
int kx_Tumbleroo_MyApp::m_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount,
                                  int flags) {
    if (!ImageSlotValid(slot)) return 0;
    const String file = m_ImageFileName(name);
    gc_assign(images[slot], static_cast<kx_graphics_Image*>(nullptr));
    gc_assign(images[slot], kx_graphics_LoadImage2(file, frameWidth * tier, frameHeight * tier, frameCount, flags));
    slotInfo[3 * slot] = frameWidth * tier;
    slotInfo[3 * slot + 1] = frameHeight * tier;
    slotInfo[3 * slot + 2] = frameCount;
    return 0;
}

// A font's slot info is in virtual units (advance, line height), not sheet pixels.
int kx_Tumbleroo_MyApp::m_LoadFont(int slot, String name, int advance, int lineHeight) {
    if (!ImageSlotValid(slot)) return 0;
    const String file = m_ImageFileName(name);
    const int cell = kFontCell * tier;
    gc_assign(images[slot], static_cast<kx_graphics_Image*>(nullptr));
    gc_assign(images[slot], kx_graphics_LoadImage2(file, cell, cell, kFontGlyphs, kCentre));
    slotInfo[3 * slot] = advance;
    slotInfo[3 * slot + 1] = lineHeight;
    slotInfo[3 * slot + 2] = kFontGlyphs;
    fontSlot = slot;
    return 0;
}

// Numbers outside the slot range have no slot to go into and are not read.
int kx_Tumbleroo_MyApp::m_LoadSFX(int slot) {
    if (!SoundSlotValid(slot)) return 0;
    gc_assign(sounds[slot], kx_audio_LoadSound(m_SfxFileName(slot)));
    return 0;
}

// Bank sounds: slot k holds file k + 10 * soundSet - 10.
int kx_Tumbleroo_MyApp::m_LoadSFX2(int slot) {
    if (!SoundSlotValid(slot)) return 0;
    gc_assign(sounds[slot], kx_audio_LoadSound(m_SfxFileName(slot + 10 * soundSet - 10)));
    return 0;
}

// ===========================================================================
// Reload and loader
// ===========================================================================

// The logo goes in at once so the loading screen can show it from the first tick.
int kx_Tumbleroo_MyApp::m_Reload() {
    clearR = clearG = clearB = 0;
    clearA = 1;
    m_ChooseTier();
    m_LoadImg(kImgTitle, String("common/VexoLogo"), 256, 256, 1, kCentre);
    loadStep = 1;
    return 0;
}

// One step per tick; the tick after step 28 ends the load, so a full load takes 29.
int kx_Tumbleroo_MyApp::m_Loader() {
    m_ChooseTier();
    if (loadStep >= 1 && loadStep <= kLoaderLastStep) {
        m_LoaderStep(loadStep);
    } else {
        loadStep = 0;
    }
    if (loadStep >= 1) loadStep += 1;
    m_WaitStart(1);
    return 0;
}

int kx_Tumbleroo_MyApp::m_LoaderStep(int step) {
    const LoadStep& s = kSteps[step - 1];
    switch (s.kind) {
        case STEP_IMAGE:
            m_LoadImg(s.slot, String(s.name), s.frameWidth, s.frameHeight, s.frames, kCentre);
            break;
        case STEP_FONT:
            m_LoadFont(s.slot, String(s.name), s.frameWidth, s.frameHeight);
            break;
        case STEP_SFX:
            m_LoadSFX(s.slot);
            if (s.alsoSound != 0) m_LoadSFX(s.alsoSound);
            break;
        case STEP_BANK_SFX:
            m_LoadSFX2(s.slot);
            break;
        case STEP_REELS:
            m_LoadImg(s.slot, reelSheet, s.frameWidth, s.frameHeight, s.frames, kCentre);
            break;
    }
    return 0;
}

// ===========================================================================
// Sound effects
// ===========================================================================

// Effects cycle over kSfxRing channels starting at 1, so a 25th effect cuts the
// oldest. An empty slot still takes its turn on the ring and silences that channel.
int kx_Tumbleroo_MyApp::m_PlaySFX(int slot, float rate, float volume, float pan) {
    const int sound = settings[kSettingSound];
    if (sound != 1 && sound != 2) return 0;
    sfxChannel = (sfxChannel + 1) % kSfxRing;
    const int channel = channels[sfxChannel];
    kx_audio_StopChannel(channel);
    if (SoundSlotValid(slot) && sounds[slot]) kx_audio_PlaySound(sounds[slot], channel, 0);
    kx_audio_SetChannelRate(channel, rate);
    kx_audio_SetChannelVolume(channel, volume);
    kx_audio_SetChannelPan(channel, pan);
    return 0;
}
