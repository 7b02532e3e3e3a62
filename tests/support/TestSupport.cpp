// Shared test helpers over the media layer: its start-up, key state and small file utilities.
#include "support/TestSupport.h"

#include "plix/Plix.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

void initMedia() {
    static bool done = false;
    if (done) return;
    Plix_init(TEST_TITLE, 320, 480, false);
    // Samples from the game's own files, under the keys the tests draw and play them by.
    for (const char* key : {"kreel", "damage", "destroy1", "kin"})
        Plix_loadWAV(key, std::string("resource/sound/") + key + ".wav");
    Plix_loadBMP("title", "resource/image/zorvane.bmp", -2, 0, 0);
    done = true;
}

void setKey(int key, bool down) {
    Plix_setKey(key, down);
}

void releaseAllKeys() {
    for (int key = 0; key < PLIX_KEY_COUNT; ++key)
        Plix_setKey(key, false);
}

void snapshot() {
    Plix_update(0);
}

std::string makeTempDir(const std::string& tag) {
    std::string pattern = "/tmp/zorvane-" + tag + "-XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made ? std::string(made) : std::string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace testsupport
