#pragma once
// SIGINT and SIGTERM end a streaming command cleanly: while a guard lives
// they only raise a flag the command's loop polls; the old handlers come back
// when it goes out of scope.

#include <csignal>

class InterruptGuard {
public:
    InterruptGuard() {
        flag() = 0;
        struct sigaction sa {};
        sa.sa_handler = [](int) { flag() = 1; };
        sigemptyset(&sa.sa_mask);
        sigaction(SIGINT, &sa, &oldInt_);
        sigaction(SIGTERM, &sa, &oldTerm_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    bool interrupted() const { return flag() != 0; }

private:
    static volatile std::sig_atomic_t &flag() {
        static volatile std::sig_atomic_t raised = 0;
        return raised;
    }
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};
