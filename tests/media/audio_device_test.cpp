// audio_device_test.cpp - the audio device on an OpenAL loopback device: channel
// states through play, pause, resume, stop and a sound's natural end; cutting;
// volume, pan and rate heard in the rendered mix; suspend and resume; music; and
// the lazy deletion of discarded buffers.
#include "tests/media/audio_support.h"

#include <algorithm>

using namespace audiotest;

namespace {

constexpr int kShort = 2205;   // 0.1 s at the mixer's rate
constexpr int kPeriod = 40;    // square wave period in frames

TEST_F(AudioDeviceTest, StartsWithoutDistanceModelAndWithIdleChannels) {
    EXPECT_EQ(alGetInteger(AL_DISTANCE_MODEL), AL_NONE);
    for (int c = 0; c < kAudioChannels; ++c) {
        EXPECT_EQ(audio->channels[c].source, 0u);
        EXPECT_EQ(audio->channels[c].sample, nullptr);
        EXPECT_EQ(audio->ChannelState(c), kChannelStopped);
    }
}

TEST_F(AudioDeviceTest, LoadSampleFillsABufferWithTheDecodedSound) {
    gc_force_sweep = false;
    gxtkSample* s = Square("a.wav", kShort);
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->buffer, 0u);
    EXPECT_TRUE(alIsBuffer(s->buffer));
    ALint size = 0, freq = 0, channels = 0, bits = 0;
    alGetBufferi(s->buffer, AL_SIZE, &size);
    alGetBufferi(s->buffer, AL_FREQUENCY, &freq);
    alGetBufferi(s->buffer, AL_CHANNELS, &channels);
    alGetBufferi(s->buffer, AL_BITS, &bits);
    EXPECT_EQ(size, kShort * 2);
    EXPECT_EQ(freq, kLoopbackHertz);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(bits, 16);
    EXPECT_TRUE(gc_force_sweep) << "a load asks the collector for a full sweep";

    EXPECT_EQ(Load(dir.File("missing.wav")), nullptr);
    EXPECT_EQ(Load(dir.File("a.txt")), nullptr);
}

TEST_F(AudioDeviceTest, ChannelStatesFollowPlayPauseResumeStop) {
    gxtkSample* s = Square("loop.wav", kShort);
    ASSERT_NE(s, nullptr);
    audio->PlaySample(s, 3, 1);
    ALuint src = audio->channels[3].source;
    ASSERT_NE(src, 0u);
    EXPECT_EQ(audio->channels[3].sample, s);
    EXPECT_EQ(audio->channels[3].flags, 1);
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);
    EXPECT_EQ(SourceInt(src, AL_LOOPING), AL_TRUE);
    EXPECT_EQ(SourceInt(src, AL_BUFFER), static_cast<ALint>(s->buffer));

    audio->ResumeChannel(3);  // not paused: nothing happens
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);

    audio->PauseChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelPaused);
    EXPECT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_PAUSED);
    audio->PauseChannel(3);  // already paused: stays so
    EXPECT_EQ(audio->ChannelState(3), kChannelPaused);

    audio->ResumeChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);
    EXPECT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_PLAYING);

    // A looping sound outlives its own length.
    loopback.Render(kShort * 3);
    EXPECT_EQ(audio->ChannelState(3), kChannelPlaying);

    audio->StopChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped);
    EXPECT_EQ(SourceInt(src, AL_SOURCE_STATE), AL_STOPPED);
    audio->ResumeChannel(3);  // stopped is not paused
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped);
    EXPECT_EQ(audio->channels[3].source, src) << "a channel keeps its one source";
}

TEST_F(AudioDeviceTest, FinishedOneShotIsNoticedLazily) {
    gxtkSample* s = Square("once.wav", kShort);
    audio->PlaySample(s, 0, 0);
    audio->PlaySample(s, 1, 0);
    EXPECT_EQ(SourceInt(audio->channels[0].source, AL_LOOPING), AL_FALSE);
    loopback.Render(kShort / 2);
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
    loopback.Render(kShort);
    // The recorded state is still "playing" until somebody asks.
    EXPECT_EQ(audio->channels[0].state, kChannelPlaying);
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
    // Pausing a sound that already ended merely records the stop.
    audio->PauseChannel(1);
    EXPECT_EQ(audio->channels[1].state, kChannelStopped);
    EXPECT_EQ(audio->ChannelState(1), kChannelStopped);
}

TEST_F(AudioDeviceTest, PlayedSampleIsHeardInTheMix) {
    gxtkSample* s = Square("tone.wav", kShort * 4, kPeriod, 12000);
    std::vector<short> before = loopback.Render(512);
    EXPECT_LT(Rms(before, 0), 1.0) << "nothing plays yet";
    audio->PlaySample(s, 5, 0);
    std::vector<short> out = loopback.Render(kShort * 2);
    // A centred mono square wave on both sides, at its own frequency.
    EXPECT_GT(Rms(out, 0), 3000);
    EXPECT_GT(Rms(out, 1), 3000);
    int expected = 2 * kShort * 2 / kPeriod;
    EXPECT_NEAR(ZeroCrossings(out, 0), expected, expected / 20);
}

TEST_F(AudioDeviceTest, VolumePanAndRateShapeTheMix) {
    gxtkSample* s = Square("tone.wav", kShort * 2, kPeriod, 12000);
    audio->PlaySample(s, 0, 1);
    double full = Rms(loopback.Render(kShort), 0);

    audio->SetVolume(0, 0.25f);
    loopback.Render(256);  // let the gain ramp settle
    double quarter = Rms(loopback.Render(kShort), 0);
    EXPECT_NEAR(quarter / full, 0.25, 0.05);
    audio->SetVolume(0, 0.0f);
    loopback.Render(256);
    EXPECT_LT(Rms(loopback.Render(kShort), 0), 50);
    audio->SetVolume(0, 1.0f);

    audio->SetPan(0, -1.0f);
    loopback.Render(256);
    std::vector<short> left = loopback.Render(kShort);
    EXPECT_GT(Rms(left, 0), 4 * Rms(left, 1) + 1);
    audio->SetPan(0, 1.0f);
    loopback.Render(256);
    std::vector<short> right = loopback.Render(kShort);
    EXPECT_GT(Rms(right, 1), 4 * Rms(right, 0) + 1);
    audio->SetPan(0, 0.0f);

    loopback.Render(256);
    int normal = ZeroCrossings(loopback.Render(kShort), 0);
    audio->SetRate(0, 2.0f);
    loopback.Render(256);
    int doubled = ZeroCrossings(loopback.Render(kShort), 0);
    EXPECT_NEAR(double(doubled) / normal, 2.0, 0.15);
}

TEST_F(AudioDeviceTest, ChannelSettingsComeBeforePlayAndSurviveIt) {
    audio->SetVolume(7, 0.5f);
    ALuint src = audio->channels[7].source;
    ASSERT_NE(src, 0u) << "configuring a channel creates its source";
    audio->SetPan(7, -0.75f);
    audio->SetRate(7, 1.5f);
    EXPECT_EQ(audio->ChannelState(7), kChannelStopped);

    audio->PlaySample(Square("a.wav", kShort), 7, 0);
    EXPECT_EQ(audio->channels[7].source, src);
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_GAIN), 0.5f);
    EXPECT_FLOAT_EQ(SourceFloat(src, AL_PITCH), 1.5f);
    ALfloat x = 0, y = 1, z = 1;
    alGetSource3f(src, AL_POSITION, &x, &y, &z);
    EXPECT_FLOAT_EQ(x, -0.75f);
    EXPECT_FLOAT_EQ(y, 0.0f);
    EXPECT_FLOAT_EQ(z, 0.0f);
}

TEST_F(AudioDeviceTest, NewSampleOnABusyChannelCutsTheOldOne) {
    gxtkSample* loud = Square("loud.wav", kShort * 4, kPeriod, 12000);
    WavSpec quiet;
    quiet.hertz = kLoopbackHertz;
    quiet.data = Bytes(kShort * 4 * 2, 0);  // silence
    WriteFile(dir.File("quiet.wav"), BuildWav(quiet));
    gxtkSample* silent = Load(dir.File("quiet.wav"));

    audio->PlaySample(loud, 2, 1);
    EXPECT_GT(Rms(loopback.Render(kShort), 0), 3000);
    audio->PlaySample(silent, 2, 0);
    EXPECT_EQ(audio->channels[2].sample, silent);
    EXPECT_EQ(audio->channels[2].flags, 0);
    EXPECT_EQ(SourceInt(audio->channels[2].source, AL_BUFFER), static_cast<ALint>(silent->buffer));
    // A short fade at most, then the loud one is gone.
    std::vector<short> after = loopback.Render(kShort);
    EXPECT_LT(Rms(after, 0, 256), 10);
    EXPECT_EQ(audio->ChannelState(2), kChannelPlaying);
}

TEST_F(AudioDeviceTest, SuspendPausesOnlyPlayingChannelsAndResumeRestartsThem) {
    gxtkSample* s = Square("loop.wav", kShort);
    gxtkSample* shortOne = Square("short.wav", 100);
    audio->PlaySample(s, 0, 1);       // playing
    audio->PlaySample(s, 1, 1);       // paused by the game
    audio->PauseChannel(1);
    audio->PlaySample(shortOne, 2, 0);  // will have ended
    loopback.Render(kShort / 2);

    audio->OnSuspend();
    EXPECT_EQ(SourceInt(audio->channels[0].source, AL_SOURCE_STATE), AL_PAUSED);
    EXPECT_EQ(audio->channels[0].state, kChannelPlaying) << "the game still sees it playing";
    EXPECT_EQ(SourceInt(audio->channels[1].source, AL_SOURCE_STATE), AL_PAUSED);
    EXPECT_EQ(SourceInt(audio->channels[2].source, AL_SOURCE_STATE), AL_STOPPED);
    EXPECT_LT(Rms(loopback.Render(kShort / 2), 0, 256), 10) << "suspended means silent";

    audio->OnResume();
    EXPECT_EQ(SourceInt(audio->channels[0].source, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_EQ(SourceInt(audio->channels[1].source, AL_SOURCE_STATE), AL_PAUSED)
        << "a channel the game paused stays paused";
    EXPECT_EQ(audio->ChannelState(1), kChannelPaused);
    EXPECT_EQ(SourceInt(audio->channels[2].source, AL_SOURCE_STATE), AL_STOPPED)
        << "an ended sound does not start again";
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
}

TEST_F(AudioDeviceTest, MusicPlaysOnTheLastChannel) {
    std::string song = SquareWav(dir, "song.wav", kShort, kLoopbackHertz);
    EXPECT_EQ(audio->PlayMusic(String(song.c_str()), 1), 0);
    gxtkChannel& music = audio->channels[kMusicChannel];
    ASSERT_NE(music.sample, nullptr);
    loaded.push_back(music.sample);
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    EXPECT_EQ(SourceInt(music.source, AL_LOOPING), AL_TRUE);
    for (int c = 0; c < kMusicChannel; ++c) EXPECT_EQ(audio->channels[c].source, 0u);

    audio->SetMusicVolume(0.3f);
    EXPECT_FLOAT_EQ(SourceFloat(music.source, AL_GAIN), 0.3f);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPaused);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    audio->StopMusic();
    EXPECT_EQ(audio->MusicState(), kChannelStopped);

    audio->PlayMusic(String(song.c_str()), 0);
    loaded.push_back(music.sample);
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    // A song that cannot be loaded still stops the one playing.
    EXPECT_EQ(audio->PlayMusic(String(dir.File("missing.wav").c_str()), 1), -1);
    EXPECT_EQ(audio->MusicState(), kChannelStopped);
    EXPECT_EQ(SourceInt(music.source, AL_SOURCE_STATE), AL_STOPPED);
}

TEST_F(AudioDeviceTest, ChannelNumbersOutsideTheRangeAreIgnored) {
    gxtkSample* s = Square("a.wav", kShort);
    for (int c : {-1, kAudioChannels, 1000}) {
        audio->PlaySample(s, c, 0);
        audio->SetVolume(c, 0.5f);
        audio->PauseChannel(c);
        audio->ResumeChannel(c);
        audio->StopChannel(c);
        EXPECT_EQ(audio->ChannelState(c), kChannelStopped);
    }
    for (const gxtkChannel& ch : audio->channels) EXPECT_EQ(ch.source, 0u);
    audio->PlaySample(nullptr, 0, 0);
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
}

TEST_F(AudioDeviceTest, UnsupportedLayoutLoadsAsSilence) {
    WavSpec s;
    s.channels = 3;
    s.hertz = kLoopbackHertz;
    s.data = Square16(kShort, 3, kPeriod, 12000);
    WriteFile(dir.File("three.wav"), BuildWav(s));
    gxtkSample* sample = Load(dir.File("three.wav"));
    ASSERT_NE(sample, nullptr);
    ALint size = -1;
    alGetBufferi(sample->buffer, AL_SIZE, &size);
    EXPECT_EQ(size, 0);
    audio->PlaySample(sample, 0, 0);
    EXPECT_LT(Rms(loopback.Render(kShort), 0), 1.0);
    EXPECT_EQ(alGetError(), AL_NO_ERROR) << "no error left behind for the next caller";
}

// ---------------------------------------------------------------------------
// Discarded buffers
// ---------------------------------------------------------------------------

TEST_F(AudioDeviceTest, DiscardedBufferWaitsWhilePlayingAndGoesOnceStopped) {
    gxtkSample* s = Square("loop.wav", kShort);
    ALuint buf = s->buffer;
    audio->PlaySample(s, 4, 1);
    s->Discard();
    EXPECT_EQ(s->buffer, 0u);
    ASSERT_EQ(discarded.size(), 1u);
    EXPECT_EQ(discarded[0], buf);
    s->Discard();  // a second discard adds nothing
    EXPECT_EQ(discarded.size(), 1u);

    // Still heard, so a flush (run by every load and play) must keep it.
    gxtkSample* other = Square("other.wav", kShort);
    audio->PlaySample(other, 5, 0);
    EXPECT_EQ(discarded.size(), 1u);
    EXPECT_TRUE(alIsBuffer(buf));
    EXPECT_GT(Rms(loopback.Render(kShort), 0), 3000);

    // Stopped by the game: the next flush detaches and deletes it.
    audio->StopChannel(4);
    FlushDiscarded(audio);
    EXPECT_TRUE(discarded.empty());
    EXPECT_FALSE(alIsBuffer(buf));
    EXPECT_EQ(SourceInt(audio->channels[4].source, AL_BUFFER), 0);
}

TEST_F(AudioDeviceTest, DiscardedOneShotIsDeletedAfterItEnds) {
    gxtkSample* a = Square("a.wav", kShort);
    gxtkSample* b = Square("b.wav", kShort);
    ALuint bufA = a->buffer, bufB = b->buffer;
    audio->PlaySample(a, 0, 0);
    audio->PlaySample(b, 1, 1);
    a->Discard();
    b->Discard();
    audio->SetVolume(9, 1.0f);  // no flush: settings never touch the list
    ASSERT_EQ(discarded.size(), 2u);

    loopback.Render(kShort * 2);  // a has ended, b loops on
    FlushDiscarded(audio);
    ASSERT_EQ(discarded.size(), 1u);
    EXPECT_EQ(discarded[0], bufB) << "only the looping one is kept";
    EXPECT_FALSE(alIsBuffer(bufA));
    EXPECT_TRUE(alIsBuffer(bufB));
    // The ended channel learns of its end as usual.
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
    // Loading runs the same flush: b goes once it has stopped. (A load may then
    // reuse the freed name for its own buffer.)
    audio->StopChannel(1);
    gxtkSample* c = Square("c.wav", kShort);
    EXPECT_TRUE(discarded.empty());
    audio->PlaySample(c, 0, 0);
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
}

// The collector: what a channel still plays stays alive; the rest dies and hands
// its buffer over for deletion.

TEST_F(AudioCollectTest, PlayingAndPausedSamplesSurviveFinishedAndIdleOnesDie) {
    gxtkSample* playing = Square("playing.wav", kShort);
    gxtkSample* paused = Square("paused.wav", kShort);
    gxtkSample* finished = Square("finished.wav", 100);
    gxtkSample* idle = Square("idle.wav", kShort);
    ALuint bufFinished = finished->buffer, bufIdle = idle->buffer, bufPlaying = playing->buffer;
    audio->PlaySample(playing, 0, 1);
    audio->PlaySample(paused, 1, 1);
    audio->PauseChannel(1);
    audio->PlaySample(finished, 2, 0);
    loopback.Render(kShort / 2);
    for (gxtkSample* s : {playing, paused, finished, idle}) Release(s);
    discarded.clear();

    FullCollection();
    FullCollection();
    EXPECT_TRUE(gc_is_live(playing));
    EXPECT_TRUE(gc_is_live(paused));
    EXPECT_FALSE(gc_is_live(finished));
    EXPECT_FALSE(gc_is_live(idle));
    EXPECT_EQ(playing->buffer, bufPlaying);

    // The dead ones' buffers wait in the list until the next flush deletes them.
    ASSERT_EQ(discarded.size(), 2u);
    EXPECT_NE(std::find(discarded.begin(), discarded.end(), bufFinished), discarded.end());
    EXPECT_NE(std::find(discarded.begin(), discarded.end(), bufIdle), discarded.end());
    EXPECT_TRUE(alIsBuffer(bufIdle));
    FlushDiscarded(audio);
    EXPECT_TRUE(discarded.empty());
    EXPECT_FALSE(alIsBuffer(bufIdle));
    EXPECT_FALSE(alIsBuffer(bufFinished));
    EXPECT_TRUE(alIsBuffer(bufPlaying));

    // Once stopped, nothing holds the survivors either.
    audio->StopChannel(0);
    audio->StopChannel(1);
    FullCollection();
    FullCollection();
    EXPECT_FALSE(gc_is_live(playing));
    EXPECT_FALSE(gc_is_live(paused));
    EXPECT_EQ(discarded.size(), 2u);
}

TEST_F(AudioDeviceTest, StaleNamesDoNotStayForever) {
    discarded.push_back(987654);  // no such buffer
    FlushDiscarded(audio);
    EXPECT_TRUE(discarded.empty());
}

TEST_F(AudioDeviceTest, PendingErrorDoesNotKeepADeletableBuffer) {
    gxtkSample* s = Square("a.wav", kShort);
    ALuint buf = s->buffer;
    s->Discard();
    alSourcei(999999, AL_GAIN, 1);  // leaves AL_INVALID_NAME pending
    FlushDiscarded(audio);
    EXPECT_TRUE(discarded.empty());
    EXPECT_FALSE(alIsBuffer(buf));
}

}  // namespace

namespace {

// A game object made anew (as every game test does) brings a new device; the old
// one must hand its sources back, or OpenAL's limited supply runs dry.
TEST_F(AudioCollectTest, CollectedDevicesGiveTheirSourcesBack) {
    gxtkSample* s = Square("a.wav", kShort);
    Root(s);
    ALCint limit = 0;
    alcGetIntegerv(alcGetContextsDevice(alcGetCurrentContext()), ALC_MONO_SOURCES, 1, &limit);
    const int rounds = limit / kAudioChannels + 2;  // enough devices to exhaust the supply
    for (int round = 0; round < rounds; ++round) {
        gxtkAudio* old = new gxtkAudio();
        for (int c = 0; c < kAudioChannels; ++c) old->PlaySample(s, c, 0);
        ASSERT_NE(old->channels[kAudioChannels - 1].source, 0u) << "round " << round << " found no free source";
        EXPECT_EQ(old->ChannelState(0), kChannelPlaying);
        FullCollection();
    }
}

}  // namespace
