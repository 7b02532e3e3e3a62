// The last word of a crash: a fatal signal on any thread leaves one line on standard output and in
// run.log, written with async-signal-safe calls only, and the process then dies of that signal.
#include "plix/desktop/PlixCrash.h"
#include "plix/PlixMedia.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Fatal {
    int signal;
    const char* line; // written whole, so it is spelt out here rather than put together
};

const Fatal FATALS[] = {
    {SIGSEGV, "Plix: fatal signal SIGSEGV (invalid memory access)\n"},
    {SIGFPE, "Plix: fatal signal SIGFPE (arithmetic fault)\n"},
    {SIGBUS, "Plix: fatal signal SIGBUS (bad memory access)\n"},
    {SIGILL, "Plix: fatal signal SIGILL (illegal instruction)\n"},
    {SIGABRT, "Plix: fatal signal SIGABRT (abort)\n"},
};

const char* logPath = "run.log";
std::atomic<int> spoken{0};
// A stack of its own for the main thread, so a stack overflow still gets its line.
alignas(16) char alternateStack[1 << 16];

void writeAll(int fd, const char* text, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, text, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        length -= size_t(n);
    }
}

extern "C" void onFatalSignal(int signal) {
    // Only the first thread to fault speaks; any other dies quietly of the same handler's raise.
    if (spoken.exchange(1) == 0) {
        const char* line = "Plix: fatal signal\n";
        for (const Fatal& f : FATALS)
            if (f.signal == signal) line = f.line;
        const size_t length = std::strlen(line);
        writeAll(STDOUT_FILENO, line, length);
        // The same rules as every other write of run.log: a plain file of its own, never waiting.
        int fd = open(logPath, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                      0644);
        if (fd >= 0) {
            struct stat st;
            if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) writeAll(fd, line, length);
            close(fd);
        }
    }
    // The handler was reset on entry: this raise, held back until the handler returns (or the
    // faulting instruction run again), kills the process of the signal it really got.
    raise(signal);
}

} // namespace

void Plix_watchCrashes() {
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action = {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    for (const Fatal& f : FATALS)
        sigaction(f.signal, &action, nullptr);
}
