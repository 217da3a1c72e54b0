// wasapi_output.h - the Windows build's sound output: the default output device
// in WASAPI shared mode, fed from a mixer on a thread of its own. The sound calls
// of host/win32/al_mixer.cpp open and close it.
#pragma once

#include <atomic>
#include <thread>

#include "media/mixer.h"

namespace win32 {

class WasapiOutput {
public:
    ~WasapiOutput() { Close(); }
    // False when the system has no output device (the game then runs silent).
    bool Open();
    // The device's mixing rate; valid after Open.
    int Rate() const { return rate_; }
    // Starts the output thread, which renders from `mixer` until Close.
    void Start(mixer::Mixer* mixer);
    void Close();

private:
    void Run(mixer::Mixer* mixer);

    void* client_ = nullptr;   // IAudioClient
    void* render_ = nullptr;   // IAudioRenderClient
    void* event_ = nullptr;    // buffer-ready event
    int rate_ = 0, channels_ = 0;
    bool floatSamples_ = true;
    unsigned bufferFrames_ = 0;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace win32
