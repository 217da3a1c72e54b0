// audio.cpp - the toolkit's sound module: sounds wrap device samples so the game
// can hold them in collected arrays, and the channel functions forward to the one
// audio device. Called by the game's asset loader and its effect player.
#include "media/audio.h"

#include "host/paths.h"

kx_audio_Sound* kx_audio_Sound::g_new(gxtkSample* s) {
    gc_assign(sample, s);
    return this;
}

kx_audio_Sound* kx_audio_Sound::g_new2() { return this; }

void kx_audio_Sound::mark() { gc_mark_q(sample); }

int kx_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(kx_audio_device, device);
    return 0;
}

kx_audio_Sound* kx_audio_LoadSound(const String& path) {
    if (!kx_audio_device) return nullptr;
    gxtkSample* sample = kx_audio_device->LoadSample(kx_data_FixDataPath(path));
    if (!sample) return nullptr;
    return (new kx_audio_Sound())->g_new(sample);
}

int kx_audio_PlaySound(kx_audio_Sound* sound, int channel, int flags) {
    if (kx_audio_device && sound && sound->sample) kx_audio_device->PlaySample(sound->sample, channel, flags);
    return 0;
}

int kx_audio_StopChannel(int channel) {
    if (kx_audio_device) kx_audio_device->StopChannel(channel);
    return 0;
}

int kx_audio_SetChannelVolume(int channel, float volume) {
    if (kx_audio_device) kx_audio_device->SetVolume(channel, volume);
    return 0;
}

int kx_audio_SetChannelPan(int channel, float pan) {
    if (kx_audio_device) kx_audio_device->SetPan(channel, pan);
    return 0;
}

int kx_audio_SetChannelRate(int channel, float rate) {
    if (kx_audio_device) kx_audio_device->SetRate(channel, rate);
    return 0;
}
