// Shared test helpers: one media start-up per test program, keys driven through the real snapshot.
#pragma once

#include <cstdint>
#include <string>

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

// A fresh empty temporary directory, removed by the caller or left for inspection.
std::string makeTempDir(const std::string& tag);
// Whole content of a file, or "" when it cannot be read.
std::string readFile(const std::string& path);

} // namespace testsupport
