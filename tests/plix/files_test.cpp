// Hostile files: WAV and Ogg headers SDL would crash on, non-files, links to write through.
#include "MediaFiles.h"
#include "plix/Plix.h"
#include "support/OggBend.h"

#include <climits>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

using mediafiles::messageOf;

namespace {

std::string sourceBgm; // the game's own music, read before the test leaves the build directory

class FilesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream in("resource/sound/bgm.ogg", std::ios::binary);
        sourceBgm.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_EQ(chdir(mediafiles::scratchDir("files").c_str()), 0);
        Plix_init("files", 320, 480, false);
    }
    void TearDown() override { Plix_stopBgm(0); }
};

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i)
        s += char(v >> (8 * i));
    return s;
}

// A RIFF WAVE file of the given chunks.
std::string riff(const std::string& chunks) {
    return "RIFF" + le(uint32_t(4 + chunks.size()), 4) + "WAVE" + chunks;
}
std::string chunk(const char* id, const std::string& body) {
    return id + le(uint32_t(body.size()), 4) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}
std::string fmt(int format, int channels, uint32_t rate, int bits) {
    return chunk("fmt ", le(format, 2) + le(channels, 2) + le(rate, 4) +
                             le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) +
                             le(bits, 2));
}
const std::string SAMPLES = chunk("data", std::string(8, '\0'));

TEST_F(FilesTest, WaveHeadersTheMixerCanPlayPassAndEveryOtherOneSaysWhy) {
    const std::string good = fmt(1, 1, 22050, 16);
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"the game's own kind", riff(good + SAMPLES), nullptr},
        {"stereo 8 bits at the edges of the rates", riff(fmt(1, 2, 4000, 8) + SAMPLES), nullptr},
        {"192000 Hz", riff(fmt(1, 1, 192000, 16) + SAMPLES), nullptr},
        {"other chunks, one of odd length, come first", riff(chunk("LIST", "abc") + good + SAMPLES),
         nullptr},
        {"not RIFF", "RIFX" + riff(good + SAMPLES).substr(4), "not a RIFF WAVE file"},
        {"too short for a header", "RIFF\4\0\0\0WAV", "not a RIFF WAVE file"},
        {"ADPCM", riff(fmt(2, 1, 22050, 4) + SAMPLES), "format 2, not PCM"},
        {"no channel", riff(fmt(1, 0, 22050, 16) + SAMPLES), "0 channels, not 1 or 2"},
        {"three channels", riff(fmt(1, 3, 22050, 16) + SAMPLES), "3 channels, not 1 or 2"},
        {"rate 0", riff(fmt(1, 1, 0, 16) + SAMPLES), "a rate of 0 Hz, not 4000 to 192000"},
        {"rate 45", riff(fmt(1, 1, 45, 16) + SAMPLES), "a rate of 45 Hz, not 4000 to 192000"},
        {"rate 3999", riff(fmt(1, 1, 3999, 16) + SAMPLES), "a rate of 3999 Hz, not 4000 to 192000"},
        {"rate 192001", riff(fmt(1, 1, 192001, 16) + SAMPLES),
         "a rate of 192001 Hz, not 4000 to 192000"},
        {"rate 100 MHz", riff(fmt(1, 1, 100000000, 16) + SAMPLES),
         "a rate of 100000000 Hz, not 4000 to 192000"},
        {"24 bits", riff(fmt(1, 1, 22050, 24) + SAMPLES), "24 bits a sample, not 8 or 16"},
        {"the data first", riff(SAMPLES + good), "no fmt chunk before the data"},
        {"a short fmt", riff(chunk("fmt ", std::string(14, '\1')) + SAMPLES),
         "the fmt chunk is cut short"},
        {"no data", riff(good), "no data chunk"},
        {"no chunks", riff(""), "no fmt chunk"},
        {"data past the end", riff(good + "data" + le(9, 4) + std::string(8, '\0')),
         "the data chunk runs past the end of the file"},
        {"a chunk as long as it can be", riff(good + "LIST" + le(UINT_MAX, 4) + SAMPLES),
         "no data chunk"},
    };
    for (const auto& [name, bytes, why] : cases) {
        const char* found = wavProblem(reinterpret_cast<const Uint8*>(bytes.data()), bytes.size());
        EXPECT_EQ(found ? std::string(found) : "(none)", why ? why : "(none)") << name;
    }
}

TEST_F(FilesTest, ResourcesThatAreNoFilesOrHostileAreRefusedWithTheLoadersMessage) {
    ASSERT_EQ(mkfifo("fifo", 0644), 0);
    ASSERT_EQ(mkdir("folder", 0755), 0);
    write("rate0.wav", riff(fmt(1, 1, 0, 16) + SAMPLES));
    write("good.wav", riff(fmt(1, 1, 22050, 16) + SAMPLES));
    write("slow.ogg", oggbend::bend(sourceBgm, 2, 20));
    write("fast.ogg", oggbend::bend(sourceBgm, 2, 50000000));
    write("chained.ogg", sourceBgm + oggbend::bend(sourceBgm, 2, 11, 0x5a5a5a5a));
    write("chained-good.ogg", sourceBgm + oggbend::bend(sourceBgm, 2, 44100, 0x5a5a5a5a));
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
