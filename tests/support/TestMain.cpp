// Entry of every test program: SDL's dummy drivers unless a test run asks for a real display.
#include "plix/Plix.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    // Whatever a test opened is closed before exit, as the game does: an audio device still open
    // when the process ends lets SDL2's audio thread (under sdl12-compat) call into freed code.
    Plix_quit();
    return status;
}
