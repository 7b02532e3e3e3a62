// Files of the layer: resources are read only when they are regular files, and run.log and
// screenshot.bmp are written without following a link or waiting on something that is not a file.
#include "plix/PlixMedia.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// O_NONBLOCK: opening a FIFO would otherwise wait for a writer that never comes.
int openNonBlocking(const char* path, int flags) {
    return open(path, flags | O_NONBLOCK | O_CLOEXEC, 0644);
}

bool isRegular(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

const char* resourceProblem(const char* path) {
    int fd = openNonBlocking(path, O_RDONLY);
    // What cannot be opened at all is left to SDL, whose own words then name the problem.
    if (fd < 0) return nullptr;
    const bool regular = isRegular(fd);
    close(fd);
    return regular ? nullptr : PLIX_NOT_A_FILE;
}

std::FILE* openOutput(const char* path, bool append) {
    int fd = openNonBlocking(path, O_WRONLY | O_CREAT | O_NOFOLLOW | (append ? O_APPEND : 0));
    if (fd < 0) return nullptr;
    // Only now, once it is known to be a plain file of its own, is it emptied.
    if (!isRegular(fd) || (!append && ftruncate(fd, 0) != 0)) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, append ? "a" : "w");
    if (!file) close(fd);
    return file;
}
