// zorvane-assetgen: writes the game's font, pictures, sounds and music under an output root.
#include "Assets.h"
#include "Font.h"
#include "Png.h"
#include "Synth.h"
#include "flow/Resources.h"

#include <exception>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

// The sizes desktops ask the icon theme for, from panels to software centres.
constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// Each sound effect of the game's resource table and what makes it.
struct Effect {
    const char* key;
    std::vector<float> (*make)();
};
const Effect EFFECTS[] = {
    {SOUND_KREEL, makeKreel},
    {SOUND_DAMAGE, makeDamage},
    {SOUND_DESTROY, makeDestroy},
    {SOUND_KIN, makeKin},
};
static_assert(std::size(EFFECTS) == std::size(SOUND_KEYS), "a sound the game loads is not made");

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zorvane-assetgen <output-root>\n";
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    try {
        for (int code = FONT_FIRST_CODE; code <= FONT_LAST_CODE; ++code)
            writeFile(root + "resource/font/" + std::to_string(code) + ".bmp",
                      encodeBMP(renderGlyph(code)));
        writeFile(root + TITLE_PICTURE_FILE, encodeBMP(makeTitle()));
        writeFile(root + "resource/plix.bmp", encodeBMP(makeWindowIcon()));
        for (int size : ICON_SIZES)
            writeFile(root + "packaging/icons/zorvane-" + std::to_string(size) + ".png",
                      encodePNG(makeIcon(size)));
        for (const Effect& effect : EFFECTS)
            writeFile(root + soundFile(effect.key), encodeWAV(effect.make(), 1));
        writeFile(root + MUSIC_FILE, encodeOggVorbis(makeMusic()));
    } catch (const std::exception& e) {
        std::cerr << "zorvane-assetgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
