// Program entry: opens the media layer, loads the resources, runs frames until an exception.
#include "flow/Scene.h"
#include "objects/Random.h"
#include "objects/Token.h"
#include "plix/Plix.h"

#include <ctime>
#include <exception>

int main(int argc, char** argv) {
    (void)argv;
    // A quit is the normal end; every failure says so to whoever started the game.
    int status = 0;
    try {
        // Any word after the program's name widens the window; the field stays on the left.
        Plix_init(GAME_TITLE, argc > 1 ? WIDE_WINDOW_WIDTH : SCREEN_WIDTH, SCREEN_HEIGHT, false);
        loadResources();
        randSeed(static_cast<uint64_t>(std::time(nullptr)));
        for (;;)
            frameStep(FRAME_MS);
    } catch (const PlixQuit& quit) {
        Plix_log(quit);
    } catch (const std::exception& e) {
        // The media layer's failures (PlixError); anything else, out of memory say, ends the run
        // the same way rather than with an abort.
        Plix_log(e);
        status = 1;
    } catch (...) {
        // An exception that is no std::exception has no message of its own, but ends no other way.
        Plix_log(PlixError("an exception of unknown kind"));
        status = 1;
    }
    Plix_quit();
    return status;
}
