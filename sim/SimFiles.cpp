// The simulator's files: plain files only, opened so that nothing can make the simulator wait.
#include "sim/SimFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string simQuoted(const std::string& text) {
    std::string out;
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        size_t length = 0;
        if (c >= 0x20 && c < 0x7f) {
            length = 1;
        } else if (c >= 0xc2 && c <= 0xf4) {
            const size_t want = c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
            length = want;
            for (size_t k = 1; k < want; ++k)
                if (i + k >= n || (static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80)
                    length = 0;
            // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
            if (length) {
                const unsigned char d = static_cast<unsigned char>(text[i + 1]);
                if ((c == 0xe0 && d < 0xa0) || (c == 0xed && d >= 0xa0) ||
                    (c == 0xf0 && d < 0x90) || (c == 0xf4 && d >= 0x90))
                    length = 0;
            }
        }
        if (length) {
            out.append(text, i, length);
            i += length;
        } else {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
            ++i;
        }
    }
    return out;
}

namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& why) {
    throw SimFileError("\"" + simQuoted(path) + "\" " + why);
}

SimFileId idOf(const struct stat& st) {
    return {st.st_dev, st.st_ino};
}

} // namespace

std::string simReadInput(const std::string& path, size_t maxBytes, SimFileId& id) {
    // O_NONBLOCK: a FIFO would otherwise wait in open() for a writer that never comes.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) refuse(path, std::string("cannot be read: ") + std::strerror(errno));
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        refuse(path, "is not a regular file");
    }
    if (size_t(st.st_size) > maxBytes) {
        close(fd);
        refuse(path, "is larger than " + std::to_string(maxBytes) + " bytes");
    }
    id = idOf(st);
    std::string text(size_t(st.st_size), '\0');
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = read(fd, &text[done], text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += size_t(got);
    }
    close(fd);
    if (done != text.size()) refuse(path, "cannot be read whole");
    return text;
}

void simAppendLine(const std::string& path, const std::string& line) {
    const int fd = open(path.c_str(),
                        O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const std::string text = line + "\n";
        for (size_t done = 0; done < text.size();) {
            const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) break;
            done += size_t(wrote);
        }
    }
    close(fd);
}

std::FILE* simOpenOutput(const std::string& path, const SimFileId* taken, int takenCount,
                         SimFileId& id) {
    // What is there already is looked at first: a FIFO without a reader would fail to open for
    // a reason of its own, and say nothing of what it is.
    struct stat there;
    if (lstat(path.c_str(), &there) == 0) {
        if (S_ISLNK(there.st_mode)) refuse(path, "is a link, not a regular file");
        if (!S_ISREG(there.st_mode)) refuse(path, "is not a regular file");
    }
    const int fd =
        open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == ELOOP) refuse(path, "is a link, not a regular file");
        refuse(path, std::string("cannot be written: ") + std::strerror(errno));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        refuse(path, "is not a regular file");
    }
    id = idOf(st);
    for (int i = 0; i < takenCount; ++i) {
        if (taken[i] == id) {
            close(fd);
            refuse(path, "is named for two files of the run");
        }
    }
    std::FILE* file = ftruncate(fd, 0) == 0 ? fdopen(fd, "w") : nullptr;
    if (!file) {
        close(fd);
        refuse(path, "cannot be written");
    }
    return file;
}
