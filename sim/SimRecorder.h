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
    // Every game that has ended since attach, as its replay's bytes and its result line.
    const std::vector<std::string>& replays() const { return kept; }
    const std::vector<std::string>& lines() const { return keptLines; }

  private:
    bool recording = false;
    ReplayGame game;
    std::vector<std::string> kept;
    std::vector<std::string> keptLines;

    static void watch(void* self);
    void snapshot();
    void begin();
    void finish(ReplayOutcome outcome);
};

// For the browser's page, which keeps the games its program plays: records every game from now on,
// then tells how many have ended, and the bytes and line of game `index` (0 the first). The desktop
// game never calls them.
extern "C" void zorvaneRecordGames();
extern "C" int zorvaneGamesKept();
extern "C" const char* zorvaneKeptReplay(int index, int* size);
extern "C" const char* zorvaneKeptLine(int index);
