// The game's doors for its page (linked with --post-js, so inside the program's scope): the recorder
// of sim/SimRecorder.h, and each game it has kept as its line and its replay's bytes.
Module["recordGames"] = function () { _zorvaneRecordGames(); };
Module["gamesKept"] = function () { return _zorvaneGamesKept(); };
Module["keptGame"] = function (index) {
  var size = _malloc(4);
  var bytes = _zorvaneKeptReplay(index, size);
  // A copy: the bytes stay in the program's memory, which may grow and move.
  var game = { line: UTF8ToString(_zorvaneKeptLine(index)), bytes: HEAPU8.slice(bytes, bytes + HEAP32[size >> 2]) };
  _free(size);
  return game;
};
