// Files of the layer: resources that are no files or hostile ones, and links to write through.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"
#include "support/MediaFiles.h"
#include "support/TestSupport.h"

#include <climits>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

using testsupport::messageOf;

namespace {

std::string sourceBgm; // the game's own music, read before the test leaves the build directory

class FilesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream in("resource/sound/bgm.ogg", std::ios::binary);
        sourceBgm.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(chdir(testsupport::scratchDir("files").c_str()), 0);
        Plix_init("files", 320, 480, false);
    }
    void TearDown() override { Plix_stopBgm(0); }
};

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

using namespace mediafiles;
const std::string SAMPLES = samples();

TEST_F(FilesTest, ResourcesThatAreNoFilesOrHostileAreRefusedWithTheLoadersMessage) {
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    ASSERT_EQ(mkdir("folder", 0755), 0);
    write("rate0.wav", riff(fmt(1, 1, 0, 16) + SAMPLES));
    write("good.wav", riff(fmt(1, 1, 22050, 16) + SAMPLES));
    write("slow.ogg", bend(sourceBgm, 2, 20));
    write("fast.ogg", bend(sourceBgm, 2, 50000000));
    write("chained.ogg", sourceBgm + bend(sourceBgm, 2, 11, 0x5a5a5a5a));
    write("chained-good.ogg", sourceBgm + bend(sourceBgm, 2, 44100, 0x5a5a5a5a));
    write("not-ogg.ogg", "not music at all");
    // Each call, and the message it must end with (nothing: it works).
    const std::tuple<std::function<void()>, std::string> cases[] = {
        {[] { Plix_loadWAV("a", "fifo"); }, "Plix_loadWAV: not a regular file (fifo)"},
        {[] { Plix_loadWAV("b", "folder"); }, "Plix_loadWAV: not a regular file (folder)"},
        {[] { Plix_loadWAV("c", "rate0.wav"); },
         "Plix_loadWAV: a rate of 0 Hz, not 4000 to 192000 (rate0.wav)"},
        {[] { Plix_loadWAV("d", "good.wav"); }, ""},
        {[] { Plix_loadBMP("e", "fifo", -2, 0, 0); }, "Plix_loadBMP: not a regular file: fifo"},
        {[] { Plix_playBgm("fifo", 0, 0); }, "Plix_playBgm: not a regular file: fifo"},
        {[] { Plix_playBgm("slow.ogg", 0, 0); },
         "Plix_playBgm: stream 1 of 1 has a rate of 20 Hz, not 4000 to 192000: slow.ogg"},
        {[] { Plix_playBgm("fast.ogg", 0, 0); },
         "Plix_playBgm: stream 1 of 1 has a rate of 50000000 Hz, not 4000 to 192000: fast.ogg"},
        {[] { Plix_playBgm("chained.ogg", 0, 0); },
         "Plix_playBgm: stream 2 of 2 has a rate of 11 Hz, not 4000 to 192000: chained.ogg"},
        {[] { Plix_playBgm("chained-good.ogg", 0, 0); }, ""},
    };
    for (const auto& [call, message] : cases)
        EXPECT_EQ(messageOf(call), message.empty() ? "(nothing thrown)" : message);
    // What is no Ogg Vorbis at all is still SDL_mixer's to name.
    const std::string notOgg = messageOf([] { Plix_playBgm("not-ogg.ogg", 0, 0); });
    EXPECT_EQ(notOgg, std::string("Plix_playBgm: ") + SDL_GetError());
    EXPECT_EQ(plixMedia.sounds.count("d"), 1u);
    EXPECT_EQ(plixMedia.sounds.size() + plixMedia.images.size(), 1u)
        << "the refused ones are not registered";
}

TEST_F(FilesTest, LogAndScreenshotAreWrittenOnlyAsPlainFilesOfTheirOwn) {
    write("elsewhere.txt", "keep me\n");
    const std::runtime_error line("a line");
    // What run.log is before Plix_log, and what it holds after (for a link, what its target holds).
    for (const char* kind : {"file", "link", "fifo", "folder"}) {
        SCOPED_TRACE(kind);
        unlink("run.log");
        rmdir("run.log");
        const std::string k = kind;
        int made = 0;
        if (k == "file") write("run.log", "before\n");
        if (k == "link") made = symlink("elsewhere.txt", "run.log");
        if (k == "fifo") made = mkfifo("run.log", 0644);
        if (k == "folder") made = mkdir("run.log", 0755);
        ASSERT_EQ(made, 0);
        Plix_log(line); // returns: a FIFO without a reader must not hold the run
        if (k == "file") {
            EXPECT_EQ(testsupport::readFile("run.log"), "before\na line\n");
        }
        EXPECT_EQ(testsupport::readFile("elsewhere.txt"), "keep me\n");
    }
    unlink("run.log");
    rmdir("run.log");
    // F12 through a link: the file it points at stays as it was.
    ASSERT_EQ(symlink("elsewhere.txt", "screenshot.bmp"), 0);
    testsupport::setKey(PLIX_KEY_F12, true);
    testsupport::snapshot();
    testsupport::setKey(PLIX_KEY_F12, false);
    EXPECT_EQ(testsupport::readFile("elsewhere.txt"), "keep me\n");
    unlink("screenshot.bmp");
    ASSERT_EQ(mkfifo("screenshot.bmp", 0644), 0);
    testsupport::setKey(PLIX_KEY_F12, true);
    testsupport::snapshot(); // returns without a reader on the FIFO
    testsupport::setKey(PLIX_KEY_F12, false);
    testsupport::snapshot();
    unlink("screenshot.bmp");
    testsupport::setKey(PLIX_KEY_F12, true);
    testsupport::snapshot();
    testsupport::setKey(PLIX_KEY_F12, false);
    SDL_Surface* shot = SDL_LoadBMP("screenshot.bmp");
    ASSERT_NE(shot, nullptr) << "a plain new file is written";
    EXPECT_EQ(shot->w, 320);
    SDL_FreeSurface(shot);
}

} // namespace
