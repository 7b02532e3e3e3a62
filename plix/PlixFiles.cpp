// Files of the layer: resources are read only when they are regular files, and run.log and
// screenshot.bmp are written without following a link or waiting on something that is not a file.
#include "plix/PlixMedia.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

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

const char* readResource(const char* path, std::vector<Uint8>& bytes, size_t maxSize,
                         bool& opened) {
    bytes.clear();
    int fd = openNonBlocking(path, O_RDONLY);
    opened = fd >= 0;
    if (!opened) return nullptr;
    // One descriptor from the test to the last byte, so the file cannot be swapped in between.
    struct stat st;
    const char* problem = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = PLIX_NOT_A_FILE;
    } else if (Uint64(st.st_size) > maxSize) {
        static char text[64];
        std::snprintf(text, sizeof text, "larger than %zu bytes", maxSize);
        problem = text;
    } else {
        bytes.resize(size_t(st.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += size_t(n);
        }
        // A file that shrank while it was read is as unreadable as one that failed.
        if (done != bytes.size()) problem = "cannot be read";
    }
    close(fd);
    return problem;
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
