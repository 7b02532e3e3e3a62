// SimRecorder: keeps every game a running program plays as a replay, by watching its input
// snapshots. The browser's page records its games so; the desktop game never does.
#pragma once

#include "sim/SimReplay.h"

#include <string>
#include <vector>

class GameRecorder {
  public:
    // From the next snapshot on, every game that starts is recorded until it ends.
    void attach();
    void detach();
    // Every game that has ended since attach, as its replay's bytes, and the last one's line.
    const std::vector<std::string>& replays() const { return kept; }
    const std::string& lastLine() const { return line; }

  private:
    bool recording = false;
    ReplayGame game;
    std::vector<std::string> kept;
    std::string line;

    static void watch(void* self);
    void snapshot();
    void begin();
    void finish(ReplayOutcome outcome);
};
