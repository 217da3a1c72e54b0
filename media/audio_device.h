// audio_device.h - the audio device on OpenAL: samples, 33 channels, music on the
// last channel, suspend and resume. Implemented in media/audio_device.cpp; created
// by the host application, used through the sound module (media/audio.cpp).
#pragma once

#include "runtime/runtime.h"

struct gxtkAudio : gxtkObject {
    gxtkAudio();
    int OnSuspend();
    int OnResume();
};

extern gxtkAudio* kx_audio_device;
