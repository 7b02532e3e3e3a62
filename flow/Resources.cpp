// The resource table: four sound effects and the title picture, registered in this order.
#include "flow/Scene.h"
#include "plix/Plix.h"

namespace {

// Red value -2: the title picture has no transparent colour.
constexpr int OPAQUE = -2;

const char* const SOUND_KEYS[] = {"kreel", "damage", "destroy1", "kin"};

} // namespace

void loadResources() {
    for (const char* key : SOUND_KEYS)
        Plix_loadWAV(key, std::string("resource/sound/") + key + ".wav");
    Plix_loadBMP("title", "resource/image/zorvane.bmp", OPAQUE, 0, 0);
}
