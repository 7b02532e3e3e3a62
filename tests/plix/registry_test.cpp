// Image and sound registries: every failure with its exact message, and the music's fades.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

constexpr const char* BGM = "resource/sound/bgm.ogg";

class RegistryTest : public ::testing::Test {
  protected:
    // The game's own table is registered: "title", "damage" and the other effects.
    void SetUp() override { testsupport::initMedia(); }
    void TearDown() override { Plix_stopBgm(0); }
};

TEST_F(RegistryTest, FailuresThrowTheirExactMessagesAndRegisterNothing) {
    SDL_Surface* title = plixMedia.images.at("title");
    Mix_Chunk* damage = plixMedia.sounds.at("damage");
    Plix_playBgm(BGM, 3000, 0);
    // The call, its message, and for a file to blame what follows SDL's reason.
    const std::tuple<std::function<void()>, std::string, const char*> cases[] = {
        {[] { Plix_loadWAV("gone", "nowhere/kin.wav"); }, "Plix_loadWAV: ", " (nowhere/kin.wav)"},
        {[] { Plix_loadBMP("gone", "nowhere/zorvane.bmp", -2, 0, 0); }, "Plix_loadBMP: ", ""},
        {[] { Plix_playBgm("nowhere/bgm.ogg", 3000, 0); }, "Plix_playBgm: ", ""},
        {[] { Plix_loadWAV("damage", BGM); }, "Plix_loadWAV: Has exist key: damage", nullptr},
        {[] { Plix_loadBMP("title", "", -2, 0, 0); }, "Plix_loadBMP: Has exist key: title",
         nullptr},
        {[] { Plix_draw("none", 0, 0, 0, 0, 0, 0); }, "Plix_draw: Has exist key: none", nullptr},
        {[] { Plix_playWAV("destroy2", 0); }, "Plix_playWAV: Has exist key: destroy2", nullptr},
    };
    for (const auto& [call, message, fileSuffix] : cases) {
        std::string thrown = testsupport::messageOf(call);
        EXPECT_TRUE(!fileSuffix || *SDL_GetError()) << "SDL's reason is missing: " << thrown;
        EXPECT_EQ(thrown, fileSuffix ? message + SDL_GetError() + fileSuffix : message);
    }
    EXPECT_EQ(plixMedia.images.count("gone") + plixMedia.sounds.count("gone"), 0u);
    EXPECT_EQ(plixMedia.music, nullptr) << "the music before was freed";
    EXPECT_EQ(plixMedia.images.at("title"), title);
    EXPECT_EQ(plixMedia.sounds.at("damage"), damage);
    // Keys are exact, and the two registries are separate.
    EXPECT_NO_THROW(Plix_loadBMP("Title", "resource/image/zorvane.bmp", -2, 0, 0));
    EXPECT_NO_THROW(Plix_loadWAV("title", "resource/sound/kin.wav"));
}

TEST_F(RegistryTest, MusicFadesOnlyWhenAskedAndAFadedOneStaysLoaded) {
    Plix_playBgm(BGM, 3000, -5);
    EXPECT_TRUE(Mix_PlayingMusic() && Mix_FadingMusic() == MIX_NO_FADING);
    Plix_playBgm(BGM, -1, 500);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
    Plix_stopBgm(3000);
    EXPECT_TRUE(plixMedia.music && Mix_FadingMusic() == MIX_FADING_OUT);
    Plix_stopBgm(0);
    EXPECT_TRUE(!plixMedia.music && !Mix_PlayingMusic());
}

} // namespace
