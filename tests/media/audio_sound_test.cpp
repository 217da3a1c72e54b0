// audio_sound_test.cpp - the sound module over the audio device (data-directory
// names, empty sounds, forwarding of the channel functions, a sound keeping its
// sample alive), the device on a real OpenAL device as the host opens it (the null
// backend), and the device with no OpenAL context at all.
#include "tests/media/audio_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include "media/audio.h"

using namespace audiotest;

namespace {

// The test command points OpenAL Soft at its null backend; a direct run of this
// executable must not reach for sound hardware either. Set before any ALC call.
const bool kAlsoftConfigured = [] {
    setenv("ALSOFT_CONF", TUMBLEROO_SOURCE_DIR "/tests/support/alsoft-null.conf", 0);
    return true;
}();

constexpr int kFrames = 2205;

class SoundModuleTest : public AudioDeviceTest {
protected:
    void SetUp() override {
        AudioDeviceTest::SetUp();
        kx_audio_SetAudioDevice(audio);
    }
    void TearDown() override {
        kx_audio_device = nullptr;
        AudioDeviceTest::TearDown();
    }
    kx_audio_Sound* LoadSound(const std::string& path) {
        kx_audio_Sound* s = kx_audio_LoadSound(String(path.c_str()));
        if (s && s->sample) loaded.push_back(s->sample);
        return s;
    }
};

TEST_F(SoundModuleTest, SetAudioDevicePublishesTheDevice) {
    EXPECT_EQ(kx_audio_device, audio);
}

TEST_F(SoundModuleTest, BareNamesAreFoundInTheDataDirectory) {
    ASSERT_EQ(mkdir(dir.File("data").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(dir.File("data/sfx").c_str(), 0700), 0);
    SquareWav(dir, "data/sfx/001.wav", kFrames, kLoopbackHertz);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    kx_audio_Sound* found = LoadSound("sfx/001.wav");
    kx_audio_Sound* missing = LoadSound("sfx/002.wav");
    ASSERT_EQ(chdir(cwd), 0);

    ASSERT_NE(found, nullptr);
    ASSERT_NE(found->sample, nullptr);
    EXPECT_NE(found->sample->buffer, 0u);
    EXPECT_EQ(missing, nullptr);
    // Absolute paths are taken as they are.
    EXPECT_NE(LoadSound(dir.File("data/sfx/001.wav")), nullptr);
}

TEST_F(SoundModuleTest, PlaySoundAndChannelFunctionsReachTheDevice) {
    kx_audio_Sound* s = LoadSound(SquareWav(dir, "a.wav", kFrames, kLoopbackHertz));
    ASSERT_NE(s, nullptr);
    kx_audio_SetChannelVolume(6, 0.4f);
    kx_audio_SetChannelPan(6, 0.5f);
    kx_audio_SetChannelRate(6, 0.8f);
    kx_audio_PlaySound(s, 6, 1);
    ALuint src = audio->channels[6].source;
    ASSERT_NE(src, 0u);
    EXPECT_EQ(audio->ChannelState(6), kChannelPlaying);
    EXPECT_EQ(audio->channels[6].sample, s->sample);
    EXPECT_EQ(SourceInt(src, AL_LOOPING), AL_TRUE);
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_GAIN), 0.4f);
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_PITCH), 0.8f);
    ALfloat x = 0, y = 1, z = 1;
    alGetSource3f(src, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_GT(Rms(loopback.Render(kFrames), 1), 1000);

    kx_audio_StopChannel(6);
    EXPECT_EQ(audio->ChannelState(6), kChannelStopped);
}

TEST_F(SoundModuleTest, EmptySoundPlaysNothing) {
    kx_audio_Sound* empty = (new kx_audio_Sound())->g_new2();
    EXPECT_EQ(empty->sample, nullptr);
    kx_audio_PlaySound(empty, 0, 0);
    kx_audio_PlaySound(nullptr, 1, 0);
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);
    EXPECT_EQ(audio->channels[0].source, 0u);
    EXPECT_LT(Rms(loopback.Render(kFrames), 0), 1.0);
}

TEST_F(SoundModuleTest, WithoutADeviceEverythingIsIgnored) {
    kx_audio_device = nullptr;
    EXPECT_EQ(LoadSound(SquareWav(dir, "a.wav", kFrames, kLoopbackHertz)), nullptr);
    gxtkSample* sample = Square("b.wav", kFrames);
    kx_audio_Sound* s = (new kx_audio_Sound())->g_new(sample);
    EXPECT_EQ(kx_audio_PlaySound(s, 0, 0), 0);
    EXPECT_EQ(kx_audio_StopChannel(0), 0);
    EXPECT_EQ(kx_audio_SetChannelVolume(0, 1), 0);
    EXPECT_EQ(kx_audio_SetChannelPan(0, 1), 0);
    EXPECT_EQ(kx_audio_SetChannelRate(0, 1), 0);
    EXPECT_EQ(audio->channels[0].source, 0u);
}

class SoundCollectTest : public AudioCollectTest {};

TEST_F(SoundCollectTest, ASoundKeepsItsSampleAlive) {
    gxtkSample* sample = Square("a.wav", kFrames);
    Release(sample);
    kx_audio_Sound* sound = (new kx_audio_Sound())->g_new(sample);
    Root(sound);
    FullCollection();
    FullCollection();
    EXPECT_TRUE(gc_is_live(sound));
    EXPECT_TRUE(gc_is_live(sample));
    EXPECT_TRUE(discarded.empty());

    Unroot(sound);
    FullCollection();
    FullCollection();
    EXPECT_FALSE(gc_is_live(sound));
    EXPECT_FALSE(gc_is_live(sample));
    EXPECT_EQ(discarded.size(), 1u);
}

// ---------------------------------------------------------------------------
// A real device, opened the way the host opens it, on the null backend
// ---------------------------------------------------------------------------

TEST(AudioDefaultDevice, PlaysOnTheDeviceTheHostOpens) {
    ALCdevice* device = alcOpenDevice(nullptr);
    ASSERT_NE(device, nullptr);
    ALCcontext* context = alcCreateContext(device, nullptr);
    ASSERT_NE(context, nullptr);
    ASSERT_TRUE(alcMakeContextCurrent(context));
    discarded.clear();
    {
        TempDir dir;
        auto* audio = new gxtkAudio();
        gxtkSample* s = audio->LoadSample(String(SquareWav(dir, "a.wav", kFrames, 22050).c_str()));
        ASSERT_NE(s, nullptr);
        EXPECT_NE(s->buffer, 0u);
        audio->PlaySample(s, 0, 1);
        EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
        audio->OnSuspend();
        EXPECT_EQ(SourceInt(audio->channels[0].source, AL_SOURCE_STATE), AL_PAUSED);
        audio->OnResume();
        EXPECT_EQ(SourceInt(audio->channels[0].source, AL_SOURCE_STATE), AL_PLAYING);
        audio->StopChannel(0);
        s->Discard();
        FlushDiscarded(audio);
        EXPECT_TRUE(discarded.empty());
    }
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

// ---------------------------------------------------------------------------
// No OpenAL context: the host printed its failure and carries on without sound
// ---------------------------------------------------------------------------

TEST(AudioWithoutContext, EveryOperationIsSafeAndSilent) {
    alcMakeContextCurrent(nullptr);
    ASSERT_EQ(alcGetCurrentContext(), nullptr);
    discarded.clear();
    TempDir dir;
    std::string wav = SquareWav(dir, "a.wav", kFrames, 22050);

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    auto* audio = new gxtkAudio();
    gxtkSample* s = audio->LoadSample(String(wav.c_str()));
    bool loaded = s != nullptr;
    ALuint buffer = s ? s->buffer : 99;
    gxtkSample* missing = audio->LoadSample(String(dir.File("missing.wav").c_str()));
    for (int c = 0; c < kAudioChannels; ++c) {
        audio->SetVolume(c, 0.5f);
        audio->SetPan(c, 1.0f);
        audio->SetRate(c, 2.0f);
        audio->PlaySample(s, c, c & 1);
        audio->PauseChannel(c);
        audio->ResumeChannel(c);
    }
    int states = 0;
    for (int c = 0; c < kAudioChannels; ++c) states += audio->ChannelState(c);
    audio->OnSuspend();
    audio->OnResume();
    int music = audio->PlayMusic(String(wav.c_str()), 1);
    int noMusic = audio->PlayMusic(String(dir.File("missing.wav").c_str()), 1);
    audio->PauseMusic();
    audio->ResumeMusic();
    audio->SetMusicVolume(0.1f);
    int musicState = audio->MusicState();
    audio->StopMusic();
    audio->mark();
    if (s) s->Discard();
    FlushDiscarded(audio);
    kx_audio_SetAudioDevice(audio);
    kx_audio_Sound* sound = kx_audio_LoadSound(String(wav.c_str()));
    kx_audio_PlaySound(sound, 0, 0);
    kx_audio_device = nullptr;
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(loaded) << "a loadable file still gives a sample";
    EXPECT_EQ(buffer, 0u) << "with no buffer: it plays silence";
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(states, 0) << "nothing is ever playing";
    EXPECT_EQ(music, 0);
    EXPECT_EQ(noMusic, -1);
    EXPECT_EQ(musicState, kChannelStopped);
    EXPECT_NE(sound, nullptr);
    for (const gxtkChannel& ch : audio->channels) EXPECT_EQ(ch.source, 0u);
    EXPECT_TRUE(discarded.empty()) << "an empty sample has nothing to discard";
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

}  // namespace
