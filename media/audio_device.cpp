// audio_device.cpp - the audio device on OpenAL: the WAV and Ogg Vorbis decoders,
// samples and their lazily deleted buffers, the 33 channels with their states,
// music on channel 32, suspend and resume. The host creates the one gxtkAudio and
// calls OnSuspend/OnResume; the game reaches it through media/audio.cpp.
#include "media/audio_device.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <AL/alc.h>

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

#include "host/paths.h"
#include "media/ogg_headers.h"

gxtkAudio* kx_audio_device = nullptr;
std::vector<ALuint> discarded;

namespace {

constexpr int kWavFormatPcm = 1;
constexpr int kWavFmtBaseSize = 16;     // the fields every format chunk has
constexpr int kOggFrameRoom = 4096;     // sample frames of room kept free per decoded frame
constexpr int kOggMaxSeconds = 10 * 60; // longer streams are cut here
constexpr unsigned kMaxHertz = 192000;  // above any real Vorbis rate; bounds the cut's size
// The Vorbis decoder's working memory: a stereo stream with the largest blocks and
// many codebooks needs well under half of it.
constexpr int kOggArenaBytes = 4 * 1024 * 1024;

bool HasContext() { return alcGetCurrentContext() != nullptr; }

// The source's OpenAL state; a missing source (or context) counts as stopped.
ALint SourceState(ALuint source) {
    ALint state = AL_STOPPED;
    if (source != 0 && HasContext()) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

ALenum FormatFor(int bytesPerSample, int channels) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct BlockFreer {
    void operator()(void* p) const { std::free(p); }
};

// The lower-cased text after the last dot, or empty when a slash or backslash
// follows that dot (the dot belongs to a directory name).
std::string Extension(const String& path) {
    std::string ext;
    for (int i = path.Length() - 1; i >= 0; --i) {
        char16_t c = path[i];
        if (c == u'/' || c == u'\\') return std::string();
        if (c == u'.') return ext;
        char lower = (c >= u'A' && c <= u'Z') ? static_cast<char>(c - u'A' + 'a')
                                              : (c < 128 ? static_cast<char>(c) : '?');
        ext.insert(ext.begin(), lower);
    }
    return std::string();
}

long FileSize(FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(f);
    if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
    return size;
}

// True when n more bytes lie between the read position and the end of the file:
// a chunk size is only believed when the file really holds that many bytes.
bool BytesAhead(FILE* f, long fileSize, long n) {
    long pos = std::ftell(f);
    return n >= 0 && pos >= 0 && n <= fileSize - pos;
}

bool TagIs(FILE* f, const char* expected) { return std::strcmp(readTag(f), expected) == 0; }

struct WavFormat {
    int channels = 0;
    int hertz = 0;
    int bits = 0;
};

// The RIFF header and the format chunk, leaving the file at the first chunk after it.
bool ReadWavHeader(FILE* f, long fileSize, WavFormat* fmt) {
    if (!TagIs(f, "RIFF")) return false;
    readInt(f);  // RIFF size: files in the wild get it wrong, so it is not checked
    if (!TagIs(f, "WAVE") || !TagIs(f, "fmt ")) return false;
    int fmtSize = readInt(f);
    if (fmtSize < kWavFmtBaseSize || !BytesAhead(f, fileSize, fmtSize)) return false;
    if (readShort(f) != kWavFormatPcm) return false;
    fmt->channels = readShort(f);
    fmt->hertz = readInt(f);
    readInt(f);    // byte rate
    readShort(f);  // block alignment
    fmt->bits = readShort(f);
    // Both are divisors below; other bit depths have no OpenAL format.
    if (fmt->channels <= 0 || fmt->hertz <= 0) return false;
    if (fmt->bits != 8 && fmt->bits != 16) return false;
    return std::fseek(f, fmtSize - kWavFmtBaseSize, SEEK_CUR) == 0;
}

// Walks the chunks up to "data" and reads it; null when there is none.
unsigned char* ReadWavData(FILE* f, long fileSize, int* dataSize) {
    for (;;) {
        std::string tag = readTag(f);
        if (tag.empty()) return nullptr;
        int size = readInt(f);
        if (!BytesAhead(f, fileSize, size)) return nullptr;
        if (tag != "data") {
            // No pad byte after an odd size: the files this reads never have one.
            if (std::fseek(f, size, SEEK_CUR) != 0) return nullptr;
            continue;
        }
        auto* block = static_cast<unsigned char*>(std::malloc(size > 0 ? size : 1));
        if (!block) return nullptr;
        if (std::fread(block, 1, size, f) == static_cast<std::size_t>(size)) {
            *dataSize = size;
            return block;
        }
        std::free(block);
    }
}

}  // namespace

unsigned char* decodeWav(FILE* f, int* length, int* channels, int* bytesPerSample, int* hertz) {
    long fileSize = FileSize(f);
    WavFormat fmt;
    if (fileSize < 0 || !ReadWavHeader(f, fileSize, &fmt)) return nullptr;
    int dataSize = 0;
    unsigned char* block = ReadWavData(f, fileSize, &dataSize);
    if (!block) return nullptr;
    *bytesPerSample = fmt.bits / 8;
    *channels = fmt.channels;
    *hertz = fmt.hertz;
    *length = dataSize / (fmt.channels * *bytesPerSample);
    return block;
}

namespace {

struct VorbisCloser {
    void operator()(stb_vorbis* v) const { stb_vorbis_close(v); }
};

// Decodes frame after frame into a buffer that doubles whenever less than one
// frame's worth of room is left; stops at the stream's end or at the length cap.
short* DecodeVorbis(stb_vorbis* v, int channels, int maxFrames, int* frames) {
    std::size_t capacity = static_cast<std::size_t>(channels) * kOggFrameRoom;
    std::unique_ptr<short, BlockFreer> pcm(static_cast<short*>(std::malloc(capacity * sizeof(short))));
    if (!pcm) return nullptr;
    std::size_t used = 0;  // samples, all channels
    int total = 0;         // frames
    for (;;) {
        int room = static_cast<int>(capacity - used);
        int n = stb_vorbis_get_frame_short_interleaved(v, channels, pcm.get() + used, room);
        if (n <= 0) break;
        if (n > room / channels) n = room / channels;
        total += n;
        used += static_cast<std::size_t>(n) * channels;
        if (total >= maxFrames) {
            total = maxFrames;
            break;
        }
        if (capacity - used < static_cast<std::size_t>(channels) * kOggFrameRoom) {
            capacity *= 2;
            void* grown = std::realloc(pcm.get(), capacity * sizeof(short));
            if (!grown) return nullptr;
            pcm.release();
            pcm.reset(static_cast<short*>(grown));
        }
    }
    *frames = total;
    return pcm.release();
}

}  // namespace

// The decoder works inside an arena of fixed size: its own allocations are sized
// from numbers in the stream (codebook entries, comment lengths), so a damaged
// stream could otherwise ask for gigabytes. Out of arena room it fails cleanly,
// provided no size it computes is negative or wraps around: the header check
// rules those streams out first.
unsigned char* decodeOgg(FILE* f, int* length, int* channels, int* bytesPerSample, int* hertz) {
    // Declared first so that it outlives the decoder that lives in it.
    std::unique_ptr<char, BlockFreer> arena(static_cast<char*>(std::malloc(kOggArenaBytes)));
    if (!arena) return nullptr;
    stb_vorbis_alloc alloc;
    alloc.alloc_buffer = arena.get();
    alloc.alloc_buffer_length_in_bytes = kOggArenaBytes;
    // The decoder takes the headers' lengths and table sizes on trust.
    if (!oggHeadersSound(f, kOggArenaBytes)) return nullptr;
    int error = VORBIS__no_error;
    // The decoder must not close the file: its owner does, after the decoder is gone.
    std::unique_ptr<stb_vorbis, VorbisCloser> v(stb_vorbis_open_file(f, 0, &error, &alloc));
    if (!v || error != VORBIS__no_error) return nullptr;
    stb_vorbis_info info = stb_vorbis_get_info(v.get());
    if (info.channels != 1 && info.channels != 2) return nullptr;
    if (info.sample_rate == 0 || info.sample_rate > kMaxHertz) return nullptr;
    int rate = static_cast<int>(info.sample_rate);
    int frames = 0;
    short* pcm = DecodeVorbis(v.get(), info.channels, rate * kOggMaxSeconds, &frames);
    if (!pcm) return nullptr;
    *length = frames;
    *channels = info.channels;
    *bytesPerSample = 2;
    *hertz = rate;
    return reinterpret_cast<unsigned char*>(pcm);
}

// ---------------------------------------------------------------------------
// File readers and the decoder entry
// ---------------------------------------------------------------------------

const char* readTag(FILE* f) {
    static char tag[5];
    if (std::fread(tag, 1, 4, f) != 4) tag[0] = 0;
    tag[4] = 0;
    return tag;
}

int readShort(FILE* f) {
    unsigned char b[2];
    if (std::fread(b, 1, 2, f) != 2) return -1;
    return b[0] | (b[1] << 8);
}

int readInt(FILE* f) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4) return -1;
    std::uint32_t v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return static_cast<int>(v);
}

unsigned char* loadSound(const String& path, int* length, int* channels, int* bytesPerSample,
                         int* hertz) {
    std::string ext = Extension(path);
    if (ext != "wav" && ext != "ogg") return nullptr;
    FilePtr f(fopenFile(path, "rb"));
    if (!f) return nullptr;
    if (ext == "wav") return decodeWav(f.get(), length, channels, bytesPerSample, hertz);
    return decodeOgg(f.get(), length, channels, bytesPerSample, hertz);
}

void unloadSound(unsigned char* block) { std::free(block); }

// ---------------------------------------------------------------------------
// Samples and the discarded buffers
// ---------------------------------------------------------------------------

gxtkSample::gxtkSample() {}
gxtkSample::gxtkSample(ALuint buf) : buffer(buf) {}
gxtkSample::~gxtkSample() { gxtkSample::Discard(); }

int gxtkSample::SetBuffer(ALuint buf) {
    buffer = buf;
    return 0;
}

int gxtkSample::Discard() {
    if (buffer != 0) {
        discarded.push_back(buffer);
        buffer = 0;
    }
    return 0;
}

void FlushDiscarded(gxtkAudio* audio) {
    if (discarded.empty() || !HasContext()) return;
    // A stopped source still holds its buffer, and OpenAL refuses to delete a held
    // buffer. Every stopped source lets go, whatever its channel's state says: a
    // channel stopped by StopChannel would otherwise pin its buffer until reused.
    for (gxtkChannel& ch : audio->channels) {
        if (ch.source != 0 && SourceState(ch.source) == AL_STOPPED) {
            alSourcei(ch.source, AL_BUFFER, 0);
        }
    }
    std::vector<ALuint> kept;
    for (ALuint name : discarded) {
        // Names that are no buffer at all (any more) are dropped, not retried forever.
        if (!alIsBuffer(name)) continue;
        alGetError();  // clear an older error so the one read below is this delete's
        alDeleteBuffers(1, &name);
        if (alGetError() != AL_NO_ERROR) kept.push_back(name);
    }
    discarded.swap(kept);
}

// ---------------------------------------------------------------------------
// Channels
// ---------------------------------------------------------------------------

ALuint gxtkChannel::AL_Source() {
    if (source == 0 && HasContext()) {
        alGetError();
        ALuint created = 0;
        alGenSources(1, &created);
        if (alGetError() == AL_NO_ERROR) source = created;
    }
    return source;
}

gxtkAudio::gxtkAudio() {
    // Sounds are positioned only to pan them; distance must never attenuate them.
    if (HasContext()) alDistanceModel(AL_NONE);
}

gxtkAudio::~gxtkAudio() {
    if (!HasContext()) return;
    for (gxtkChannel& ch : channels) {
        if (ch.source == 0) continue;
        alSourceStop(ch.source);
        alSourcei(ch.source, AL_BUFFER, 0);
        alDeleteSources(1, &ch.source);
        ch.source = 0;
    }
}

namespace {

// The channel to act on: null for numbers outside 0..32, and when there is no
// context, so that every operation quietly does nothing.
gxtkChannel* Channel(gxtkAudio* audio, int channel) {
    if (channel < 0 || channel >= kAudioChannels || !HasContext()) return nullptr;
    return &audio->channels[channel];
}

}  // namespace

void gxtkAudio::mark() {
    // A playing or paused sample stays alive even when the game dropped it.
    for (gxtkChannel& ch : channels) {
        if (ch.state != kChannelStopped && SourceState(ch.source) != AL_STOPPED) gc_mark_q(ch.sample);
    }
}

gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, const String& path) {
    if (!sample) return nullptr;
    int length = 0, chans = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* block = loadSound(path, &length, &chans, &bytesPerSample, &hertz);
    if (!block) return nullptr;
    ALuint buf = 0;
    if (HasContext()) {
        alGetError();
        alGenBuffers(1, &buf);
        if (alGetError() != AL_NO_ERROR) buf = 0;
        ALenum format = FormatFor(bytesPerSample, chans);
        // A layout OpenAL has no format for leaves the buffer empty: it plays silence.
        if (buf != 0 && format != 0) {
            alBufferData(buf, format, block, bytesPerSample * chans * length, hertz);
            alGetError();
        }
    }
    unloadSound(block);
    sample->Discard();
    sample->SetBuffer(buf);
    gc_force_sweep = true;
    return sample;
}

gxtkSample* gxtkAudio::LoadSample(const String& path) {
    FlushDiscarded(this);
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    gxtkChannel* ch = Channel(this, channel);
    if (!ch || !sample) return 0;
    FlushDiscarded(this);
    ALuint src = ch->AL_Source();
    if (src == 0) return 0;
    alSourceStop(src);
    alSourcei(src, AL_BUFFER, static_cast<ALint>(sample->buffer));
    alSourcei(src, AL_LOOPING, flags != 0 ? AL_TRUE : AL_FALSE);
    alSourcePlay(src);
    gc_assign(ch->sample, sample);
    ch->flags = flags;
    ch->state = kChannelPlaying;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel* ch = Channel(this, channel);
    if (!ch || ch->state == kChannelStopped) return 0;
    alSourceStop(ch->source);
    ch->state = kChannelStopped;
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel* ch = Channel(this, channel);
    if (!ch || ch->state != kChannelPlaying) return 0;
    if (SourceState(ch->source) == AL_STOPPED) {
        ch->state = kChannelStopped;  // it had already ended
    } else {
        alSourcePause(ch->source);
        ch->state = kChannelPaused;
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel* ch = Channel(this, channel);
    if (!ch || ch->state != kChannelPaused) return 0;
    alSourcePlay(ch->source);
    ch->state = kChannelPlaying;
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel* ch = Channel(this, channel);
    if (!ch) return kChannelStopped;
    // A one-shot sound's end is noticed here, when somebody asks.
    if (ch->state == kChannelPlaying && SourceState(ch->source) == AL_STOPPED) ch->state = kChannelStopped;
    return ch->state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    gxtkChannel* ch = Channel(this, channel);
    if (ch && ch->AL_Source() != 0) alSourcef(ch->source, AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    gxtkChannel* ch = Channel(this, channel);
    if (ch && ch->AL_Source() != 0) alSource3f(ch->source, AL_POSITION, pan, 0.0f, 0.0f);
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    gxtkChannel* ch = Channel(this, channel);
    if (ch && ch->AL_Source() != 0) alSourcef(ch->source, AL_PITCH, rate);
    return 0;
}

// ---------------------------------------------------------------------------
// Music: a whole decoded file on the last channel
// ---------------------------------------------------------------------------

int gxtkAudio::PlayMusic(const String& path, int flags) {
    StopMusic();
    gxtkSample* sample = LoadSample(path);
    if (!sample) return -1;
    PlaySample(sample, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }

// ---------------------------------------------------------------------------
// Suspend and resume: only what was audibly playing is paused and restarted;
// channels the game paused itself stay paused.
// ---------------------------------------------------------------------------

int gxtkAudio::OnSuspend() {
    if (!HasContext()) return 0;
    for (gxtkChannel& ch : channels) {
        if (ch.state == kChannelPlaying && SourceState(ch.source) == AL_PLAYING) alSourcePause(ch.source);
    }
    return 0;
}

int gxtkAudio::OnResume() {
    if (!HasContext()) return 0;
    for (gxtkChannel& ch : channels) {
        if (ch.state == kChannelPlaying && SourceState(ch.source) == AL_PAUSED) alSourcePlay(ch.source);
    }
    return 0;
}
