// SimPlayback: a replay played back, as fast as the machine can to check its claim, or watched at
// the game's pace with pause, a frame at a time, faster, and a jump to the end.
#pragma once

#include "sim/SimGame.h"
#include "sim/SimReplay.h"

#include <string>

// How a replayed game came out beside what its file claims.
struct ReplayCheck {
    GameResult result;
    bool holds = false;  // outcome, frames, score and time all as claimed
    std::string problem; // why not, in words: "", or what differs, or input past the game's end
};

// What the game of a replay begins with: its level, seed, and what the game before handed on.
GameStart replayStart(const ReplayGame& game);

// Plays the replay's game as fast as the machine can.
ReplayCheck verifyReplay(const ReplayGame& game, const SimOptions& options);

// "claimed outcome=over@1234 score=5600 time=1100"
std::string formatClaim(const ReplayGame& game);

// The watcher's controls, the same from the keyboard and from the browser's page.
enum WatchCommand {
    WATCH_PAUSE = 0, // pause, or go on
    WATCH_STEP,      // one frame forward, while paused
    WATCH_SPEED_1,
    WATCH_SPEED_2,
    WATCH_SPEED_4,
    WATCH_TO_END, // the rest as fast as the machine can, then paused on the last frame
    WATCH_COMMANDS
};

// Shows the replay's game in the media layer's window at the game's pace, drawn by the game's own
// code, until the player quits (Escape or the window's close button: PlixQuit). Space pauses and
// goes on, "." steps one frame while paused, 1, 2 and 4 set the speed, End jumps to the end. Prints
// a line when it pauses and when the game ends, and ends only by that quit.
[[noreturn]] void watchReplay(const ReplayGame& game);

// For the browser's page: a command as if its key were pushed, and the watcher's state as one line,
// "frame=F frames=N score=S claimed=C speed=X paused=0|1 ended=0|1 outcome=...".
extern "C" void zorvaneWatchCommand(int command);
extern "C" const char* zorvaneWatchStatus();
