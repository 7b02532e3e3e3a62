// zorvane-sim's doors for its pages (linked with --post-js, so inside the program's scope): a file
// written before main reads it, and the watcher's commands and state (sim/SimPlayback.h).
Module["simWrite"] = function (path, bytes) { FS.writeFile(path, bytes); };
Module["watchCommand"] = function (command) { _zorvaneWatchCommand(command); };
Module["watchStatus"] = function () { return UTF8ToString(_zorvaneWatchStatus()); };
