// SimRecorder: keeps every game a running program plays as a replay, by watching its input
// snapshots. The browser's page records its games so; the desktop game never does.
#pragma once

#include "sim/SimReplay.h"

#include <string>

class GameRecorder {
  public:
    // From the next snapshot on, every game that starts is recorded until it ends.
    void attach();
    void detach();
    // How many games have ended since attach, and the last one's replay and result line.
    int finished() const { return count; }
    const std::string& lastReplay() const { return replay; }
    const std::string& lastLine() const { return line; }

  private:
    bool recording = false;
    ReplayGame game;
    int count = 0;
    std::string replay;
    std::string line;

    static void watch(void* self);
    void snapshot();
    void begin();
    void finish(ReplayOutcome outcome);
};
