#pragma once
// SIGINT, SIGTERM and SIGHUP end an instrument command cleanly: while a guard
// lives they only raise a flag the command's loop polls, and SIGPIPE is
// ignored so that a closed output shows as a failed write the command can
// answer by stopping the instrument first. The old handlers come back when
// the guard goes out of scope.

#include <csignal>
#include <cstdlib>

class InterruptGuard {
public:
    InterruptGuard() {
        flag() = 0;
        struct sigaction sa {};
        sa.sa_handler = [](int) { flag() = 1; };
        sigemptyset(&sa.sa_mask);
        for (int i = 0; i < count; ++i)
            sigaction(caught[i], &sa, &old_[i]);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &oldPipe_);
    }
    ~InterruptGuard() {
        for (int i = 0; i < count; ++i)
            sigaction(caught[i], &old_[i], nullptr);
        sigaction(SIGPIPE, &oldPipe_, nullptr);
    }
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    bool interrupted() const { return flag() != 0; }

    // After the instrument is left as it should be: ends the process the way
    // a closed pipe ends a program that writes to it.
    [[noreturn]] static void endAsBrokenPipe() {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
        std::_Exit(128 + SIGPIPE);
    }

private:
    static constexpr int count = 3;
    static constexpr int caught[count] = {SIGINT, SIGTERM, SIGHUP};
    static volatile std::sig_atomic_t &flag() {
        static volatile std::sig_atomic_t raised = 0;
        return raised;
    }
    struct sigaction old_[count] {};
    struct sigaction oldPipe_ {};
};
