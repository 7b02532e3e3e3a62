// The simulator's files and words: inputs and outputs taken only as plain files, never waited on,
// and any text of the user's echoed with its raw bytes quoted.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <sys/types.h>

class SimFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Text as it may be shown on a terminal: control bytes, DEL and bytes that are not UTF-8 become
// \xNN; everything else is kept.
std::string simQuoted(const std::string& text);

// Where a file lives, to tell two names of one file apart from two files.
struct SimFileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const SimFileId& o) const { return device == o.device && inode == o.inode; }
};

// The whole of an input file, or SimFileError: it must be a regular file (a FIFO, device or folder
// is refused before anything waits on it) of at most maxBytes.
std::string simReadInput(const std::string& path, size_t maxBytes, SimFileId& id);

// Appends line and its end to the file at path, on the terms of the game's run.log: a regular file
// or new, never through a link, never waited on. Nothing happens when it cannot be written: the
// line is a failure's, which has been told elsewhere too.
void simAppendLine(const std::string& path, const std::string& line);

// An output file, opened without following a link or waiting; it must be a regular file or new,
// and is emptied only once it is known not to be any of the files in `taken`. SimFileError if not.
std::FILE* simOpenOutput(const std::string& path, const SimFileId* taken, int takenCount,
                         SimFileId& id);
