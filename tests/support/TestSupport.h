// Shared test helpers: one media start-up per test program, keys driven through the real snapshot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The window title initMedia gives.
constexpr const char* TEST_TITLE = "ZORVANE test";
// Plix_init (320 x 480, dummy drivers), with the game's sounds and title picture registered under
// their keys, once per process; the working directory holds resource/.
void initMedia();

// Sets SDL's own key state entry for an SDL 1.2 key code (PLIX_KEY_* of plix/PlixKeys.h).
void setKey(int key, bool down);
void releaseAllKeys();
// Takes one input snapshot the way the frame loop does, without waiting.
void snapshot();
// Exactly these keys are down in a new snapshot (a key 0 is SDL's "unknown", which nothing reads).
void hold(const std::vector<int>& keys);

// A fresh empty temporary directory, removed by the caller or left for inspection.
std::string makeTempDir(const std::string& tag);
// A fresh directory, removed with all in it when the program ends: one per program.
std::string scratchDir(const std::string& tag);
// Whole content of a file, or "" when it cannot be read.
std::string readFile(const std::string& path);
// The message of the exception that call throws, or "(nothing thrown)".
std::string messageOf(const std::function<void()>& call);

// The screen's pixels as they are, for comparing two pictures.
std::string picture();
// The screen's w x h area at (x, y) as letters of mediafiles::LETTERS ('?' any other colour), rows
// separated by '|'.
std::string letters(int x, int y, int w, int h = 1);

// What a format check says of a file: its reason, or TAKEN.
inline const std::string TAKEN = "(taken)";
inline std::string said(const char* why) {
    return why ? why : TAKEN;
}
inline const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

} // namespace testsupport
