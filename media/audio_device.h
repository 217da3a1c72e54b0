// audio_device.h - the audio device on OpenAL: decoded samples (WAV and Ogg Vorbis
// into OpenAL buffers), 33 channels each owning one source, music on the last
// channel, lazy deletion of discarded buffers, suspend and resume. Implemented in
// media/audio_device.cpp; created by the host application, used by the game through
// the sound module (media/audio.cpp).
//
// Without a current OpenAL context (the host carries on when opening one fails)
// every operation does nothing and loading gives samples without a buffer.
#pragma once

#include <cstdio>
#include <vector>

#include <AL/al.h>

#include "runtime/runtime.h"

constexpr int kAudioChannels = 33;
constexpr int kMusicChannel = 32;

// Channel states as the game sees them.
constexpr int kChannelStopped = 0;
constexpr int kChannelPlaying = 1;
constexpr int kChannelPaused = 2;

struct gxtkSample : gxtkObject {
    ALuint buffer = 0;  // 0: no buffer (empty, discarded, or loaded without a context)

    gxtkSample();
    explicit gxtkSample(ALuint buf);
    ~gxtkSample() override;

    int SetBuffer(ALuint buf);
    // Hands the buffer over to the discarded list; it is deleted by a later flush,
    // once no source holds it any more.
    virtual int Discard();
};

struct gxtkChannel {
    ALuint source = 0;            // created on first use, deleted with the device
    gxtkSample* sample = nullptr; // the sample last started here
    int flags = 0;                // non-zero: looping
    int state = kChannelStopped;

    ALuint AL_Source();
};

struct gxtkAudio : gxtkObject {
    gxtkChannel channels[kAudioChannels];

    gxtkAudio();
    // Gives the channels' OpenAL sources back: a later device (a new game object in
    // the same process) would otherwise run out of them.
    ~gxtkAudio() override;
    void mark() override;

    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, const String& path);
    virtual gxtkSample* LoadSample(const String& path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    virtual int PlayMusic(const String& path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

    int OnSuspend();
    int OnResume();
};

// Buffer names of discarded samples still waiting to be deleted, oldest first.
extern std::vector<ALuint> discarded;

// Deletes what it can of `discarded`; run before every load and play.
void FlushDiscarded(gxtkAudio* audio);

// Decodes a whole WAV or Ogg Vorbis file into interleaved PCM. The block is
// malloc'ed and owned by the caller (free it with unloadSound); null when the file
// is missing, malformed or of another kind.
unsigned char* loadSound(const String& path, int* length, int* channels, int* bytesPerSample,
                         int* hertz);
void unloadSound(unsigned char* block);
// The same from an open file of a known kind, read from its start (Ogg: from the
// read position); the file stays open.
unsigned char* decodeWav(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz);
unsigned char* decodeOgg(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz);

// Little-endian readers. readTag's text lives in a static buffer until the next call
// and is empty after a short read; the others give -1 when the bytes are not there.
const char* readTag(FILE* f);
int readShort(FILE* f);
int readInt(FILE* f);

extern gxtkAudio* kx_audio_device;
