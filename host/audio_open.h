// audio_open.h - opening the OpenAL device and context on a thread of its own,
// so that start-up makes the window and its context meanwhile, and with the
// sound libraries' own complaints quieted while the device is looked for; and
// closing them again alongside the window library's shut-down. Used by the
// start-up and clean-up (host/startup.cpp); sets the globals alcDevice and
// alcContext.
#pragma once

#include <AL/alc.h>

#include <thread>

// The process's OpenAL device and context, null while none is open (defined with
// the other process globals in host/startup.cpp).
extern ALCdevice* alcDevice;
extern ALCcontext* alcContext;

class AudioOpening {
public:
    // Starts opening the default device (on the calling thread if no thread can
    // be made).
    AudioOpening();
    // Waits for the opening when Finish was not called (an early exit).
    ~AudioOpening();
    AudioOpening(const AudioOpening&) = delete;
    AudioOpening& operator=(const AudioOpening&) = delete;

    // Waits for the opening to end, reporting nothing (start-up gives up).
    void Wait();
    // Waits for the opening, then prints the one line of a failure, if any, on
    // standard output: the game runs on silent.
    void Finish();

private:
    std::thread worker;
    const char* failure = nullptr;
    bool finished = false;
};

// Destroys the context and closes the device, whichever of them is open, and
// clears the globals.
void CloseAudio();
// The same on a thread of its own while `meanwhile` runs on the calling thread:
// the device's mixer thread ends while the window library shuts down.
void CloseAudioWhile(void (*meanwhile)());
