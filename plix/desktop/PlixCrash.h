// PlixCrash: the desktop's last word on a fatal signal.
#pragma once

// From here on a fatal signal (SIGSEGV, SIGFPE, SIGBUS, SIGILL, SIGABRT) on any thread writes its
// line, "Plix: fatal signal SIGSEGV (invalid memory access)" say, to standard output and run.log,
// and the process still dies of it.
void Plix_watchCrashes();
