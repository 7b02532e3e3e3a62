// The program entry's ways out: every kind of quit gives status 0 and the quit's line, every kind
// of exception status 1 and its message, on standard output and as the last line of run.log.
#include "plix/Plix.h"
#include "support/SdlSpy.h"
#include "support/TestSupport.h"

#include <SDL/SDL.h>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

// The entry of flow/main.cpp, built into this test under this name (see CMakeLists.txt).
int zorvaneMain(int argc, char** argv);

namespace {

// A way out must end the run within a few frames; a run still going after this many never ends.
constexpr int FRAMES_AT_MOST = 300;
constexpr int NEVER_ENDED = 98;

// In the first flip of the run, `end` ends it its way.
void endInTheFirstFrame(std::function<void()> end) {
    sdlspy::beforeFlip = [end, frames = 0]() mutable {
        if (++frames > FRAMES_AT_MOST) std::_Exit(NEVER_ENDED);
        if (frames == 1) end();
    };
}

struct Way {
    const char* name;
    std::function<void()> end; // run in the first frame
    int status;
    std::string line; // on standard output and last in run.log
};

void pushQuitEvent() {
    SDL_Event event = {};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

// Each way out in a process of its own, since a run starts and ends the media layer once: the
// entry runs in a fresh working directory whose run.log holds a line of an earlier run.
class EntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        work = testsupport::makeTempDir("entry");
        ASSERT_FALSE(work.empty());
        std::filesystem::create_directory_symlink(std::filesystem::absolute("resource"),
                                                  work + "/resource");
    }
    void TearDown() override { std::filesystem::remove_all(work); }

    // Runs the entry in a child that ends the first frame by `end`; checks its status and output.
    void expectWayOut(const Way& way) {
        SCOPED_TRACE(way.name);
        const std::string dir = work + "/" + std::to_string(++runs);
        ASSERT_TRUE(std::filesystem::create_directory(dir));
        std::ofstream(dir + "/run.log") << "earlier\n";
        std::filesystem::create_directory_symlink(work + "/resource", dir + "/resource");
        char name[] = "zorvane";
        char* argv[] = {name, nullptr};
        EXPECT_EXIT(
            {
                if (chdir(dir.c_str()) != 0 || !std::freopen("stdout.txt", "w", stdout))
                    std::_Exit(99);
                endInTheFirstFrame(way.end);
                std::exit(zorvaneMain(1, argv));
            },
            ::testing::ExitedWithCode(way.status), "");
        EXPECT_EQ(testsupport::readFile(dir + "/stdout.txt"), way.line + "\n");
        // Emptied at the start of the run: only this run's one line.
        EXPECT_EQ(testsupport::readFile(dir + "/run.log"), way.line + "\n");
    }

    std::string work;
    int runs = 0;
};

TEST_F(EntryTest, EveryQuitEndsWithStatusZeroAndTheQuitLine) {
    const std::vector<Way> ways = {
        {"Escape held", [] { testsupport::setKey(SDLK_ESCAPE, true); }, 0, PLIX_QUIT_MESSAGE},
        {"the window closed", pushQuitEvent, 0, PLIX_QUIT_MESSAGE},
        {"SIGTERM", [] { std::raise(SIGTERM); }, 0, PLIX_QUIT_MESSAGE},
        {"SIGINT", [] { std::raise(SIGINT); }, 0, PLIX_QUIT_MESSAGE},
        {"SIGHUP, the terminal closed", [] { std::raise(SIGHUP); }, 0, PLIX_QUIT_MESSAGE},
    };
    for (const Way& way : ways)
        expectWayOut(way);
}

TEST_F(EntryTest, EveryKindOfExceptionEndsWithStatusOneAndItsMessage) {
    const std::vector<Way> ways = {
        {"a failure of the media layer", [] { throw PlixError("Plix_draw: Has exist key: x"); }, 1,
         "Plix_draw: Has exist key: x"},
        {"a runtime error of another kind", [] { throw std::runtime_error("not the layer's"); }, 1,
         "not the layer's"},
        {"a logic error", [] { throw std::out_of_range("map::at"); }, 1, "map::at"},
        {"memory exhausted", [] { throw std::bad_alloc(); }, 1, std::bad_alloc().what()},
        {"no std::exception at all", [] { throw INT_MAX; }, 1, "an exception of unknown kind"},
    };
    for (const Way& way : ways)
        expectWayOut(way);
}

} // namespace
