// The thread checker's canary: a Qt thread and the main thread count into one
// integer without a lock. The run must be reported, so that what
// tests/tsan.supp leaves out of Qt (its own hand-overs) cannot hide a race of
// ours in code that runs on Qt's threads.

#include <QCoreApplication>
#include <QThread>

namespace {
int unguarded = 0;

void count() {
    for (int i = 0; i < 100000; ++i)
        unguarded = unguarded + 1;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QThread *other = QThread::create(count);
    other->start();
    count();
    other->wait();
    delete other;
    return unguarded > 0 ? 0 : 1;
}
