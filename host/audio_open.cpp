// audio_open.cpp - the OpenAL device and context opened off the main thread, with
// the sound library's log and the ALSA library's error handler quiet while the
// device is opened. The start-up (host/startup.cpp) starts it before the window
// library and finishes it before the game object, which is the first to use sound.
#include "host/audio_open.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cstdlib>
#include <system_error>

#include <AL/alc.h>

#include "runtime/runtime.h"

namespace {

#ifdef _WIN32
// The Windows build's own mixer stands in for the sound library and prints
// nothing of its own: there is no log and no ALSA to quiet.
void QuietSoundLibraryLog() {}
struct QuietAlsa {
    QuietAlsa() {}  // user-provided, so an instance is a scope guard like the real one
};
#else
// Without a device the sound library logs its failed attempts and the ALSA
// library prints each error of its configuration (eight lines on a machine
// without a sound card) on standard error, before our own one line. A log level
// the player set is kept. Set on the main thread before the opening starts: the
// window library reads the environment meanwhile.
void QuietSoundLibraryLog() { setenv("ALSOFT_LOGLEVEL", "0", 0); }

// ALSA's handler type; a variadic C function, called with a printf format.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using AlsaSetHandler = int (*)(AlsaErrorHandler);

extern "C" void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// The ALSA library, when the system has one: the sound library loads the same
// copy, so a handler set here is the one it reports through. It stays loaded for
// the process, as the sound library would keep it: unloading it would drop what
// it allocated when it was loaded.
class QuietAlsa {
public:
    QuietAlsa() {
        void* library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
        if (library) setHandler = reinterpret_cast<AlsaSetHandler>(dlsym(library, "snd_lib_error_set_handler"));
        if (setHandler) setHandler(IgnoreAlsaError);
    }
    ~QuietAlsa() {
        if (setHandler) setHandler(nullptr);  // ALSA's own handler again
    }

private:
    AlsaSetHandler setHandler = nullptr;
};
#endif

// Opens the default device and makes a context of it current; the failure's line
// (printed later, on the main thread), or null.
const char* OpenDevice() {
    {
        QuietAlsa quiet;
        alcDevice = alcOpenDevice(nullptr);
    }
    if (!alcDevice) return "alcOpenDevice failed";
    alcContext = alcCreateContext(alcDevice, nullptr);
    if (!alcContext) return "alcCreateContext failed";
    if (!alcMakeContextCurrent(alcContext)) return "alcMakeContextCurrent failed";
    return nullptr;
}

}  // namespace

AudioOpening::AudioOpening() {
    QuietSoundLibraryLog();
    try {
        worker = std::thread([this] { failure = OpenDevice(); });
    } catch (const std::system_error&) {
        failure = OpenDevice();
    }
}

AudioOpening::~AudioOpening() { Wait(); }

void CloseAudio() {
    if (alcContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(alcContext);
        alcContext = nullptr;
    }
    if (alcDevice) {
        alcCloseDevice(alcDevice);
        alcDevice = nullptr;
    }
}

void CloseAudioWhile(void (*meanwhile)()) {
    std::thread closing;
    try {
        closing = std::thread(CloseAudio);
    } catch (const std::system_error&) {
        CloseAudio();
    }
    meanwhile();
    if (closing.joinable()) closing.join();
}

void AudioOpening::Wait() {
    if (worker.joinable()) worker.join();
}

void AudioOpening::Finish() {
    if (finished) return;
    finished = true;
    Wait();
    if (failure) Print(String(failure));
}
