// Loading the resource table: the four sound effects, then the title picture.
#include "flow/Resources.h"
#include "flow/Scene.h"
#include "plix/Plix.h"

namespace {

// Red value -2: the title picture has no transparent colour.
constexpr int OPAQUE = -2;

} // namespace

void loadResources() {
    for (const char* key : SOUND_KEYS)
        Plix_loadWAV(key, soundFile(key));
    Plix_loadBMP(TITLE_PICTURE, TITLE_PICTURE_FILE, OPAQUE, 0, 0);
}
