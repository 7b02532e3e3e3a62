// The trace recorder: every argument of every traced call in the hash, in order; its text lines and
// frame blocks; a fresh hash and frame count with each start; nothing recorded after a stop.
#include "plix/Plix.h"
#include "support/TestSupport.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace {

using Calls = std::function<void()>;

class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override { testsupport::initMedia(); }
    void TearDown() override { Plix_traceStop(); }
};

// Plays the calls under a trace of their own and gives its hash.
uint64_t hashOf(const Calls& calls) {
    Plix_traceStart(nullptr);
    calls();
    Plix_traceStop();
    return Plix_traceHash();
}

// Plays the calls under a trace written to a file and gives the text, read after the stop alone.
std::string textOf(const Calls& calls) {
    std::FILE* file = std::tmpfile();
    if (!file) return "(no temporary file)";
    Plix_traceStart(file);
    calls();
    Plix_traceStop();
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

// A call that may refuse its arguments (an unknown key, a missing file) after recording itself.
void anyway(const Calls& call) {
    try {
        call();
    } catch (const PlixError&) {
    }
}

TEST_F(TraceTest, EveryArgumentOfEveryCallIsFoldedInItsPlace) {
    // One of each traced call; each variant takes the place of one of them with one argument
    // changed, or two swapped, and must give another hash than the calls as they are.
    const std::vector<Calls> calls = {
        [] { Plix_fillRect(1, 2, 3, 4, 5, 6, 7); },
        [] { Plix_draw("title", 8, 9, 10, 11, 12, 13); },
        [] { Plix_drawText("AB", 14, 15, 16); },
        [] { Plix_playWAV("kin", 0); },
        [] { anyway([] { Plix_playBgm("nowhere.ogg", 17, 18); }); },
        [] { Plix_stopBgm(19); },
        [] { Plix_traceMark("scene", 20); },
        [] { Plix_flip(); },
    };
    enum { FILL, DRAW, TEXT, WAV, BGM, STOP, MARK };
    const std::vector<std::tuple<const char*, size_t, Calls>> variants = {
        {"fill x", FILL, [] { Plix_fillRect(0, 2, 3, 4, 5, 6, 7); }},
        {"fill y", FILL, [] { Plix_fillRect(1, 0, 3, 4, 5, 6, 7); }},
        {"fill w", FILL, [] { Plix_fillRect(1, 2, 0, 4, 5, 6, 7); }},
        {"fill h", FILL, [] { Plix_fillRect(1, 2, 3, 0, 5, 6, 7); }},
        {"fill red", FILL, [] { Plix_fillRect(1, 2, 3, 4, 0, 6, 7); }},
        {"fill green", FILL, [] { Plix_fillRect(1, 2, 3, 4, 5, 0, 7); }},
        {"fill blue", FILL, [] { Plix_fillRect(1, 2, 3, 4, 5, 6, 0); }},
        {"fill x and y swapped", FILL, [] { Plix_fillRect(2, 1, 3, 4, 5, 6, 7); }},
        {"fill red and blue swapped", FILL, [] { Plix_fillRect(1, 2, 3, 4, 7, 6, 5); }},
        {"draw key", DRAW, [] { anyway([] { Plix_draw("Title", 8, 9, 10, 11, 12, 13); }); }},
        {"draw x", DRAW, [] { Plix_draw("title", 0, 9, 10, 11, 12, 13); }},
        {"draw y", DRAW, [] { Plix_draw("title", 8, 0, 10, 11, 12, 13); }},
        {"draw source x", DRAW, [] { Plix_draw("title", 8, 9, 0, 11, 12, 13); }},
        {"draw source y", DRAW, [] { Plix_draw("title", 8, 9, 10, 0, 12, 13); }},
        {"draw source w", DRAW, [] { Plix_draw("title", 8, 9, 10, 11, 0, 13); }},
        {"draw source h", DRAW, [] { Plix_draw("title", 8, 9, 10, 11, 12, 0); }},
        {"text first letter", TEXT, [] { Plix_drawText("XB", 14, 15, 16); }},
        {"text last letter", TEXT, [] { Plix_drawText("AX", 14, 15, 16); }},
        {"text a blank longer", TEXT, [] { Plix_drawText("AB ", 14, 15, 16); }},
        {"text x", TEXT, [] { Plix_drawText("AB", 0, 15, 16); }},
        {"text y", TEXT, [] { Plix_drawText("AB", 14, 0, 16); }},
        {"text alpha", TEXT, [] { Plix_drawText("AB", 14, 15, 0); }},
        {"wav key", WAV, [] { anyway([] { Plix_playWAV("Kin", 0); }); }},
        {"wav loops", WAV, [] { Plix_playWAV("kin", 1); }},
        {"bgm file", BGM, [] { anyway([] { Plix_playBgm("Nowhere.ogg", 17, 18); }); }},
        {"bgm loops", BGM, [] { anyway([] { Plix_playBgm("nowhere.ogg", 0, 18); }); }},
        {"bgm fade", BGM, [] { anyway([] { Plix_playBgm("nowhere.ogg", 17, 0); }); }},
        {"stop fade", STOP, [] { Plix_stopBgm(0); }},
        {"mark name", MARK, [] { Plix_traceMark("Scene", 20); }},
        {"mark value", MARK, [] { Plix_traceMark("scene", 0); }},
    };
    const auto playWith = [&](size_t slot, const Calls& instead) {
        return [&calls, slot, &instead] {
            for (size_t i = 0; i < calls.size(); ++i)
                i == slot ? instead() : calls[i]();
        };
    };
    const Calls none;
    const uint64_t expected = hashOf(playWith(calls.size(), none));
    for (const auto& [name, slot, instead] : variants) {
        SCOPED_TRACE(name);
        EXPECT_NE(hashOf(playWith(slot, instead)), expected);
    }
    // The same calls give the same hash; in another order, or with a flip less, another.
    EXPECT_EQ(hashOf(playWith(calls.size(), none)), expected);
    EXPECT_NE(hashOf([&] {
                  calls[DRAW]();
                  calls[FILL]();
              }),
              hashOf([&] {
                  calls[FILL]();
                  calls[DRAW]();
              }));
    EXPECT_NE(hashOf(calls[FILL]), hashOf([&] {
                  calls[FILL]();
                  Plix_flip();
              }));
}

TEST_F(TraceTest, EveryKindOfCallIsToldApartEvenWithTheSameArguments) {
    // Calls of every kind with zero and empty arguments, which fold the same few zero words; each
    // must give a hash of its own, and none the empty trace's.
    const std::vector<std::pair<const char*, Calls>> calls = {
        {"nothing", [] {}},
        {"fill", [] { Plix_fillRect(0, 0, 0, 0, 0, 0, 0); }},
        {"draw", [] { anyway([] { Plix_draw("", 0, 0, 0, 0, 0, 0); }); }},
        {"text", [] { Plix_drawText("", 0, 0, 0); }},
        {"wav", [] { anyway([] { Plix_playWAV("", 0); }); }},
        {"bgm", [] { anyway([] { Plix_playBgm("", 0, 0); }); }},
        {"stop", [] { Plix_stopBgm(0); }},
        {"two stops",
         [] {
             Plix_stopBgm(0);
             Plix_stopBgm(0);
         }},
        {"mark", [] { Plix_traceMark("", 0); }},
        {"flip", [] { Plix_flip(); }},
    };
    // A stop's fade, whatever it is, never passes for a flip.
    for (int fade = 0; fade < 32; ++fade)
        EXPECT_NE(hashOf([fade] { Plix_stopBgm(fade); }), hashOf([] { Plix_flip(); })) << fade;
    std::vector<uint64_t> seen;
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        const uint64_t hash = hashOf(call);
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_NE(hash, seen[i]) << "the same as " << calls[i].first;
        seen.push_back(hash);
    }
}

// Every kind of traced call over three frames, the second without any; names to escape, and calls
// refused after they were recorded, among them.
void everyKindOfCall() {
    Plix_fillRect(-1, 2, 0, 0, 255, 128, 0);
    Plix_draw("title", 30, 60, 0, 0, 0, 0);
    Plix_drawText("SCORE : 0", 10, 20, 255);
    Plix_playWAV("kreel", 0);
    Plix_stopBgm(3000);
    Plix_traceMark("scene", 1);
    Plix_flip();
    Plix_flip();
    Plix_drawText("a\\b\x01\x7f~", 0, 0, 0);
    anyway([] { Plix_playBgm("no where\t.ogg", -1, 0); });
    anyway([] { Plix_draw("no such key", 1, 2, 3, 4, 5, 6); });
    Plix_flip();
}

TEST_F(TraceTest, TextIsOneLinePerCallInOneBlockPerFrameWithNamesEscaped) {
    EXPECT_EQ(textOf(everyKindOfCall), "frame 0\n"
                                       "fill -1 2 0 0 255 128 0\n"
                                       "draw title 30 60 0 0 0 0\n"
                                       "text 10 20 255 SCORE : 0\n"
                                       "wav kreel 0\n"
                                       "stopbgm 3000\n"
                                       "scene 1\n"
                                       "frame 2\n"
                                       "text 0 0 0 a\\x5cb\\x01\\x7f~\n"
                                       "bgm no where\\x09.ogg -1 0\n"
                                       "draw no such key 1 2 3 4 5 6\n");
}

TEST_F(TraceTest, ATextTooLongForItsLineIsCutAtAWholeEscape) {
    const std::string controls(300, '\x01');
    const std::string text = textOf([&] { Plix_drawText(controls.c_str(), 1, 2, 3); });
    const std::string head = "frame 0\ntext 1 2 3 ";
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    const std::string shown = text.substr(head.size(), text.size() - head.size() - 1);
    EXPECT_GT(shown.size(), 200u);
    EXPECT_LT(shown.size(), 256u);
    EXPECT_EQ(shown.size() % 4, 0u) << shown;
    EXPECT_EQ(text.back(), '\n');
}

TEST_F(TraceTest, EachStartBeginsAFreshHashAndFrameCount) {
    const Calls game = [] {
        Plix_fillRect(0, 0, 0, 0, 32, 32, 32);
        Plix_flip();
        Plix_drawText("TIME  : 1", 10, 50, 255);
        Plix_flip();
    };
    const uint64_t alone = hashOf(game);
    // After another trace, and while one runs: starting again forgets all of it.
    hashOf([] {
        Plix_playWAV("kin", 0);
        Plix_flip();
    });
    EXPECT_EQ(hashOf(game), alone);
    Plix_traceStart(nullptr);
    Plix_fillRect(1, 1, 1, 1, 1, 1, 1);
    Plix_flip();
    EXPECT_EQ(hashOf(game), alone);
    // The empty trace is the hash's starting value, whatever came before it.
    const uint64_t empty = hashOf([] {});
    hashOf(game);
    EXPECT_EQ(hashOf([] {}), empty);
    EXPECT_NE(empty, alone);
    // The text's frames count from 0 again: the same file traced twice holds both traces in full.
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string once = textOf(game);
    EXPECT_EQ(once, "frame 0\nfill 0 0 0 0 32 32 32\nframe 1\ntext 10 50 255 TIME  : 1\n");
    for (int i = 0; i < 2; ++i) {
        Plix_traceStart(file);
        game();
        Plix_traceStop();
    }
    EXPECT_EQ(std::ftell(file), static_cast<long>(2 * once.size()));
    std::rewind(file);
    std::string twice;
    for (int c; (c = std::fgetc(file)) != EOF;)
        twice += static_cast<char>(c);
    EXPECT_EQ(twice, once + once);
    std::fclose(file);
}

TEST_F(TraceTest, AfterTheStopNothingIsFoldedOrWrittenAndTheHashStaysReadable) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    Plix_traceStart(file);
    Plix_fillRect(1, 2, 3, 4, 5, 6, 7);
    Plix_flip();
    Plix_traceStop();
    const uint64_t stopped = Plix_traceHash();
    // Flushed by the stop: the text is in the file itself, not only in its buffer.
    const auto fileSize = [file] {
        struct stat st = {};
        return fstat(fileno(file), &st) == 0 ? static_cast<long>(st.st_size) : -1L;
    };
    const long size = fileSize();
    EXPECT_EQ(size, static_cast<long>(std::string("frame 0\nfill 1 2 3 4 5 6 7\n").size()));
    everyKindOfCall();
    Plix_traceStop();
    EXPECT_EQ(Plix_traceHash(), stopped);
    std::fflush(file);
    EXPECT_EQ(fileSize(), size);
    std::fclose(file);
}

} // namespace
