// audio_device.cpp - placeholder until the audio device lands.
#include "media/audio_device.h"

gxtkAudio* kx_audio_device = nullptr;

gxtkAudio::gxtkAudio() {}
int gxtkAudio::OnSuspend() { return 0; }
int gxtkAudio::OnResume() { return 0; }
