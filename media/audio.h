// audio.h - the toolkit's sound module: kx_audio_Sound (a collected handle on a
// device sample) and the channel functions the game plays its effects through.
// Implemented in media/audio.cpp; the game's asset loader and play flow call it,
// the host hands it the audio device at start-up.
#pragma once

#include "runtime/runtime.h"
#include "media/audio_device.h"

struct kx_audio_Sound : Object {
    gxtkSample* sample = nullptr;  // null for an empty sound

    kx_audio_Sound* g_new(gxtkSample* sample);
    kx_audio_Sound* g_new2();
    void mark() override;
};

int kx_audio_SetAudioDevice(gxtkAudio* device);
// Bare names are looked up in the data directory; null when the file cannot be loaded.
kx_audio_Sound* kx_audio_LoadSound(const String& path);
int kx_audio_PlaySound(kx_audio_Sound* sound, int channel, int flags);
int kx_audio_StopChannel(int channel);
int kx_audio_SetChannelVolume(int channel, float volume);  // OpenAL gain, 1 = as recorded
int kx_audio_SetChannelPan(int channel, float pan);        // x position: <0 left, >0 right
int kx_audio_SetChannelRate(int channel, float rate);      // pitch factor, 1 = as recorded
