// The title screen: picture, prompt and the difficulty level chosen with the cursor keys.
#pragma once

constexpr int LEVEL_MIN = 0;
constexpr int LEVEL_MAX = 50;
constexpr int LEVEL_KEY_WAIT = 10;

extern int levelKeyWait;

void titleStep();

// The title's state a replay must reproduce, as Token::forEachReplayed lists a token's.
template <class Visit> void forEachTitleReplayed(Visit&& visit) {
    visit(levelKeyWait);
}
