// Runs work that may hang or run away in a child process first, so that a fault shows as a failed
// case instead of a test program that never ends. Portable: where there is no fork (Windows) the
// work simply runs, and the caller's cases for pipes and devices are skipped there anyway.
#pragma once

#include <functional>

#ifndef _WIN32
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#endif

// True when work returns (by a value or an exception) within nSeconds in a child process; the
// child is ended by an alarm when it does not. The child's changes to files are real, so the
// caller runs work again in its own process to look at its results.
inline bool FinishesWithin(unsigned nSeconds, const std::function<void()>& work) {
#ifdef _WIN32
    (void)nSeconds;
    (void)work;
    return true;
#else
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::alarm(nSeconds);
        try {
            work();
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}
