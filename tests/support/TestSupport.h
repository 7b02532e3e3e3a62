// Shared test helpers: one media start-up per test program, keys driven through the real snapshot.
#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// Plix_init (320 x 480, dummy drivers) and loadResources, once per process; cwd holds resource/.
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
