// al_mixer.cpp - on Windows, the sound-library calls that the audio device
// (media/audio_device.cpp) and the host's start-up (host/startup.cpp) make,
// answered by the toolkit's own mixer (media/mixer.h) playing through WASAPI
// (host/win32/wasapi_output.h). Only those calls exist; they behave as the
// audio device relies on: names, states, the error after a refused buffer delete,
// and no current context meaning no sound at all.
#include <AL/al.h>
#include <AL/alc.h>

#include <memory>

#include "host/win32/wasapi_output.h"
#include "media/mixer.h"

struct ALCdevice_struct {
    win32::WasapiOutput output;
    std::unique_ptr<mixer::Mixer> mixer;
};

struct ALCcontext_struct {
    ALCdevice* device = nullptr;
};

namespace {

// The sound library's own process-wide state: the current context and the last
// error not yet read.
ALCcontext* g_current = nullptr;
ALenum g_error = AL_NO_ERROR;

void Fail(ALenum error) {
    if (g_error == AL_NO_ERROR) g_error = error;
}

// The current mixer, or null (and the call's error noted) without a context.
mixer::Mixer* Current() {
    if (g_current && g_current->device) return g_current->device->mixer.get();
    Fail(AL_INVALID_OPERATION);
    return nullptr;
}

ALint StateOf(mixer::SourceState state) {
    switch (state) {
        case mixer::SourceState::Playing: return AL_PLAYING;
        case mixer::SourceState::Paused: return AL_PAUSED;
        case mixer::SourceState::Stopped: return AL_STOPPED;
        default: return AL_INITIAL;
    }
}

}  // namespace

extern "C" {

ALCdevice* AL_APIENTRY alcOpenDevice(const ALCchar*) {
    auto device = std::make_unique<ALCdevice>();
    if (!device->output.Open()) return nullptr;
    device->mixer = std::make_unique<mixer::Mixer>(device->output.Rate());
    device->output.Start(device->mixer.get());
    return device.release();
}

ALCboolean AL_APIENTRY alcCloseDevice(ALCdevice* device) {
    if (!device) return ALC_FALSE;
    device->output.Close();
    delete device;
    return ALC_TRUE;
}

ALCcontext* AL_APIENTRY alcCreateContext(ALCdevice* device, const ALCint*) {
    if (!device) return nullptr;
    ALCcontext* context = new ALCcontext;
    context->device = device;
    return context;
}

ALCboolean AL_APIENTRY alcMakeContextCurrent(ALCcontext* context) {
    g_current = context;
    return ALC_TRUE;
}

void AL_APIENTRY alcDestroyContext(ALCcontext* context) {
    if (context == g_current) g_current = nullptr;
    delete context;
}

ALCcontext* AL_APIENTRY alcGetCurrentContext(void) { return g_current; }

ALenum AL_APIENTRY alGetError(void) {
    ALenum error = g_error;
    g_error = AL_NO_ERROR;
    return error;
}

// The mixer has no distances: every source is heard by its direction alone.
void AL_APIENTRY alDistanceModel(ALenum) { Current(); }

void AL_APIENTRY alGenBuffers(ALsizei n, ALuint* buffers) {
    mixer::Mixer* m = Current();
    for (ALsizei i = 0; m && i < n; ++i) buffers[i] = m->CreateBuffer();
}

void AL_APIENTRY alDeleteBuffers(ALsizei n, const ALuint* buffers) {
    mixer::Mixer* m = Current();
    for (ALsizei i = 0; m && i < n; ++i) {
        if (buffers[i] != 0 && !m->DeleteBuffer(buffers[i])) Fail(AL_INVALID_OPERATION);
    }
}

ALboolean AL_APIENTRY alIsBuffer(ALuint buffer) {
    mixer::Mixer* m = Current();
    return m && (buffer == 0 || m->IsBuffer(buffer)) ? AL_TRUE : AL_FALSE;
}

void AL_APIENTRY alBufferData(ALuint buffer, ALenum format, const ALvoid* data, ALsizei size, ALsizei rate) {
    mixer::Mixer* m = Current();
    if (!m) return;
    int bytes = format == AL_FORMAT_MONO8 || format == AL_FORMAT_STEREO8 ? 1 : 2;
    int channels = format == AL_FORMAT_STEREO8 || format == AL_FORMAT_STEREO16 ? 2 : 1;
    bool known = format == AL_FORMAT_MONO8 || format == AL_FORMAT_STEREO8 || format == AL_FORMAT_MONO16 ||
                 format == AL_FORMAT_STEREO16;
    if (!known || !m->SetBufferData(buffer, bytes, channels, data, size, rate)) Fail(AL_INVALID_VALUE);
}

void AL_APIENTRY alGenSources(ALsizei n, ALuint* sources) {
    mixer::Mixer* m = Current();
    for (ALsizei i = 0; m && i < n; ++i) sources[i] = m->CreateSource();
}

void AL_APIENTRY alDeleteSources(ALsizei n, const ALuint* sources) {
    mixer::Mixer* m = Current();
    for (ALsizei i = 0; m && i < n; ++i) m->DeleteSource(sources[i]);
}

void AL_APIENTRY alSourcei(ALuint source, ALenum param, ALint value) {
    mixer::Mixer* m = Current();
    if (!m) return;
    if (param == AL_BUFFER) {
        if (!m->SetSourceBuffer(source, static_cast<unsigned>(value))) Fail(AL_INVALID_VALUE);
    } else if (param == AL_LOOPING) {
        m->SetLooping(source, value != AL_FALSE);
    } else {
        Fail(AL_INVALID_ENUM);
    }
}

void AL_APIENTRY alSourcef(ALuint source, ALenum param, ALfloat value) {
    mixer::Mixer* m = Current();
    if (!m) return;
    if (param == AL_GAIN) {
        m->SetGain(source, value);
    } else if (param == AL_PITCH) {
        m->SetPitch(source, value);
    } else {
        Fail(AL_INVALID_ENUM);
    }
}

void AL_APIENTRY alSource3f(ALuint source, ALenum param, ALfloat x, ALfloat, ALfloat) {
    mixer::Mixer* m = Current();
    if (!m) return;
    if (param == AL_POSITION) {
        m->SetPosition(source, x);
    } else {
        Fail(AL_INVALID_ENUM);
    }
}

void AL_APIENTRY alGetSourcei(ALuint source, ALenum param, ALint* value) {
    mixer::Mixer* m = Current();
    if (!m) return;
    if (param == AL_SOURCE_STATE) {
        *value = StateOf(m->State(source));
    } else {
        Fail(AL_INVALID_ENUM);
    }
}

void AL_APIENTRY alSourcePlay(ALuint source) {
    if (mixer::Mixer* m = Current()) m->Play(source);
}
void AL_APIENTRY alSourcePause(ALuint source) {
    if (mixer::Mixer* m = Current()) m->Pause(source);
}
void AL_APIENTRY alSourceStop(ALuint source) {
    if (mixer::Mixer* m = Current()) m->Stop(source);
}

}  // extern "C"
