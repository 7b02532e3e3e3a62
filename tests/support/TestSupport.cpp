// Shared test helpers over the real SDL: media start-up, key state and small file utilities.
#include "support/TestSupport.h"

#include "flow/Scene.h"
#include "plix/Plix.h"

#include <SDL/SDL.h>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

void initMedia() {
    static bool done = false;
    if (done) return;
    Plix_init(GAME_TITLE, 320, 480, false);
    loadResources();
    done = true;
}

void setKey(int key, bool down) {
    int n = 0;
    Uint8* keys = SDL_GetKeyState(&n);
    if (key >= 0 && key < n) keys[key] = down ? 1 : 0;
}

void releaseAllKeys() {
    int n = 0;
    Uint8* keys = SDL_GetKeyState(&n);
    for (int i = 0; i < n; ++i)
        keys[i] = 0;
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
