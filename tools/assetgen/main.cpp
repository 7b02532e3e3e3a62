// zorvane-assetgen: writes the game's font, pictures, sounds and music under an output root.
#include "Assets.h"
#include "Font.h"
#include "Png.h"
#include "Synth.h"

#include <exception>
#include <iostream>
#include <string>

// The sizes desktops ask the icon theme for, from panels to software centres.
constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zorvane-assetgen <output-root>\n";
        return 2;
    }
    const std::string root = argv[1];
    try {
        for (int code = FONT_FIRST_CODE; code <= FONT_LAST_CODE; ++code)
            writeFile(root + "/resource/font/" + std::to_string(code) + ".bmp",
                      encodeBMP(renderGlyph(code)));
        writeFile(root + "/resource/image/zorvane.bmp", encodeBMP(makeTitle()));
        writeFile(root + "/resource/plix.bmp", encodeBMP(makeWindowIcon()));
        for (int size : ICON_SIZES)
            writeFile(root + "/packaging/icons/zorvane-" + std::to_string(size) + ".png",
                      encodePNG(makeIcon(size)));
        const std::string sound = root + "/resource/sound/";
        writeFile(sound + "kreel.wav", encodeWAV(makeKreel(), 1));
        writeFile(sound + "damage.wav", encodeWAV(makeDamage(), 1));
        writeFile(sound + "destroy1.wav", encodeWAV(makeDestroy(), 1));
        writeFile(sound + "kin.wav", encodeWAV(makeKin(), 1));
        writeFile(sound + "bgm.ogg", encodeOggVorbis(makeMusic()));
    } catch (const std::exception& e) {
        std::cerr << "zorvane-assetgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
