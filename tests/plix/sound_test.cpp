// Sound registry and music: keys, missing and damaged files, the eight channels, load, fade and stop.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using mediafiles::messageOf;

constexpr uint32_t TEN_SECONDS = 22050 * 10;

class SoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool started = false;
        if (!started) {
            ASSERT_FALSE(mediafiles::enterScratchDir(testsupport::makeTempDir("sound")).empty());
            Plix_init("sound", 320, 480, false);
            ASSERT_TRUE(mediafiles::writeWav("short.wav", 2205));
            ASSERT_TRUE(mediafiles::writeWav("long.wav", TEN_SECONDS));
            ASSERT_TRUE(mediafiles::writeText("garbage.wav", "RIFF....WAVEnot really"));
            ASSERT_TRUE(mediafiles::writeText("garbage.ogg", "OggS but nothing after it"));
            ASSERT_TRUE(mediafiles::writeBmp("pic.bmp", 2, 2, mediafiles::Rgb{1, 2, 3}));
            started = true;
        }
    }
    void TearDown() override {
        Mix_HaltChannel(-1);
        Plix_stopBgm(0);
    }
};

TEST_F(SoundTest, SecondLoadOfAKeyFailsAndKeepsTheFirstChunk) {
    Plix_loadWAV("damage", "short.wav");
    Mix_Chunk* first = plixMedia.sounds.find("damage")->second;
    EXPECT_EQ(messageOf([] { Plix_loadWAV("damage", "long.wav"); }), "Plix_loadWAV: Has exist key: damage");
    EXPECT_EQ(plixMedia.sounds.find("damage")->second, first);
    // The sound and image registries are separate.
    Plix_loadBMP("title", "pic.bmp", -2, 0, 0);
    EXPECT_NO_THROW(Plix_loadWAV("title", "short.wav"));
}

TEST_F(SoundTest, MissingOrDamagedWavNamesTheFile) {
    std::string missing = messageOf([] { Plix_loadWAV("gone", "nowhere/kin.wav"); });
    EXPECT_EQ(missing, std::string("Plix_loadWAV: ") + SDL_GetError() + " (nowhere/kin.wav)");
    EXPECT_EQ(plixMedia.sounds.count("gone"), 0u);

    std::string damaged = messageOf([] { Plix_loadWAV("bad", "garbage.wav"); });
    EXPECT_EQ(damaged, std::string("Plix_loadWAV: ") + SDL_GetError() + " (garbage.wav)");
    EXPECT_GT(damaged.size(), std::string("Plix_loadWAV:  (garbage.wav)").size()) << "SDL's reason is missing";
    EXPECT_EQ(plixMedia.sounds.count("bad"), 0u);
}

TEST_F(SoundTest, PlayOfAnUnregisteredKeyFails) {
    EXPECT_EQ(messageOf([] { Plix_playWAV("destroy2", 0); }), "Plix_playWAV: Has exist key: destroy2");
}

TEST_F(SoundTest, NinthSimultaneousEffectIsDroppedSilently) {
    Plix_loadWAV("drone", "long.wav");
    for (int i = 0; i < 9; ++i) EXPECT_NO_THROW(Plix_playWAV("drone", 0)) << i;
    EXPECT_EQ(Mix_Playing(-1), 8);
}

TEST_F(SoundTest, MissingOrDamagedMusicFailsAndLeavesNoneLoaded) {
    Plix_playBgm("long.wav", -1, 0);
    ASSERT_NE(plixMedia.music, nullptr);
    std::string message = messageOf([] { Plix_playBgm("nowhere/bgm.ogg", 3000, 0); });
    EXPECT_EQ(message, std::string("Plix_playBgm: ") + SDL_GetError());
    EXPECT_GT(message.size(), std::string("Plix_playBgm: ").size());
    EXPECT_EQ(plixMedia.music, nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    std::string damaged = messageOf([] { Plix_playBgm("garbage.ogg", 3000, 0); });
    EXPECT_EQ(damaged, std::string("Plix_playBgm: ") + SDL_GetError());
    EXPECT_GT(damaged.size(), std::string("Plix_playBgm: ").size());
    EXPECT_EQ(plixMedia.music, nullptr);
}

TEST_F(SoundTest, MusicStartsWithOrWithoutFadeAndStopsAtOnceOrFading) {
    for (int fade : {0, -5}) {
        Plix_playBgm("long.wav", 3000, fade);
        EXPECT_EQ(Mix_PlayingMusic(), 1) << fade;
        EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING) << fade;
    }
    Plix_playBgm("long.wav", -1, 500);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);

    // A fade-out keeps the music loaded until the next start or the shutdown frees it.
    Plix_stopBgm(3000);
    EXPECT_NE(plixMedia.music, nullptr);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    // Starting again halts the fading one and starts from the beginning, unfaded.
    Plix_playBgm("long.wav", 3000, 0);
    EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING);
    EXPECT_EQ(Mix_PlayingMusic(), 1);

    Plix_stopBgm(0);
    EXPECT_EQ(plixMedia.music, nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    // Nothing loaded: both kinds of stop do nothing.
    EXPECT_NO_THROW(Plix_stopBgm(0));
    EXPECT_NO_THROW(Plix_stopBgm(3000));
    EXPECT_EQ(plixMedia.music, nullptr);
}

} // namespace
