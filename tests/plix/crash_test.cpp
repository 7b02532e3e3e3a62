// The last word of a crash: each fatal signal, raised by a real fault on a thread of its own,
// leaves its one line on standard output and at the end of run.log, and still kills the process.
#include "plix/desktop/PlixCrash.h"
#include "support/TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Run in a child: the watch is set, then the fault happens on a second thread.
int runFault(const std::string& dir, const std::function<void()>& fault) {
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(dir.c_str()) != 0) _exit(90);
        const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, STDOUT_FILENO) < 0) _exit(91);
        // No core files from the faults the test makes on purpose.
        const rlimit noCore = {0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        Plix_watchCrashes();
        std::thread(fault).join();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

volatile int zero = 0;
volatile int seven = 7; // both unknown to the compiler, so a real division is made

TEST(CrashTest, EveryFatalSignalOnAnyThreadLeavesOneLineAndKillsWithThatSignal) {
    const std::string scratch = testsupport::scratchDir("crash");
    const struct {
        int signal;
        const char* line;
        std::function<void()> fault;
    } cases[] = {
        {SIGSEGV, "Plix: fatal signal SIGSEGV (invalid memory access)",
         [] { *static_cast<volatile int*>(nullptr) = 1; }},
        {SIGFPE, "Plix: fatal signal SIGFPE (arithmetic fault)", [] { zero = seven / zero; }},
        {SIGBUS, "Plix: fatal signal SIGBUS (bad memory access)",
         [] {
             // A mapped page of a file that has since lost it.
             const int fd = open("shrinking", O_RDWR | O_CREAT | O_TRUNC, 0644);
             if (fd < 0 || ftruncate(fd, 4096) != 0) return;
             auto* page = static_cast<volatile char*>(
                 mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
             if (ftruncate(fd, 0) != 0) return;
             page[0] = 1;
         }},
        {SIGILL, "Plix: fatal signal SIGILL (illegal instruction)", [] { __builtin_trap(); }},
        {SIGABRT, "Plix: fatal signal SIGABRT (abort)", [] { std::abort(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string dir = scratch + "/" + std::to_string(c.signal);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        std::ofstream(dir + "/run.log") << "before\n";
        const int status = runFault(dir, c.fault);
        ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);
        EXPECT_EQ(testsupport::readFile(dir + "/stdout.txt"), std::string(c.line) + "\n");
        EXPECT_EQ(testsupport::readFile(dir + "/run.log"), "before\n" + std::string(c.line) + "\n");
    }
}

} // namespace
