// What a long log costs the logging tool, readings fed on the window's own
// clock as fast as it takes them, the window shown (offscreen):
//  - the largest log the sliders allow (1 Day at 10 Seconds, 8641 rows) and
//    the full 10,000 rows of the sample rule through the same table model,
//    statistics and journal: the time of all appends (one repaint at the
//    end) and the memory they take;
//  - "Fast" for its full log time (10 Minutes, 6001 rows): readings at the
//    colorimeter's fast rate (16 a second) on the real clock, the event loop
//    running as in the application, for --seconds at the start of the log and
//    again near its end (the rows between fed at once): the GUI thread's CPU
//    time per reading, everything the window does for it included.
// Medians over the runs. A build target, run by hand:
//   <build>/bin/bench_logging_rows [--runs 3] [--seconds 10]
#include "genmeasure.h"
#include "journal.h"
#include "logging.h"
#include "logtablemodel.h"
#include "qportmenu.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

class BenchMeter : public GenMeasure {
    Q_OBJECT
public:
    QString portName() override { return QStringLiteral("/dev/bench"); }
    DeviceType deviceType() override { return TorvaDevice; }
    bool isConnected() override { return true; }
    void close() override {}
    bool open(const QString &) override { return true; }
    void updateInfo() override {}
    bool isMeasuring() override { return true; }
};

double rssMb(const char *field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toDouble() /
                   1024.0;
    }
    return 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Result {
    double totalMs = 0;
    double firstUs = 0; // GUI-thread CPU per reading at the start of the log
    double lastUs = 0;  // and near its end
    double rssGrowthMb = 0;
    int rows = 0;
};

double threadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

Measurement reading(int i) {
    return Measurement::fromxyY(0.3127 + 0.0001 * (i % 50), 0.329, 100 + i % 37);
}

struct Window {
    BenchMeter meter;
    Logging window;
    const qint64 start = 1700000000000;
    qint64 now = start;
    int fed = 0;
    Window(int rateIndex, int timeIndex) {
        window.setNow([this] { return now; });
        window.colorimeterMenu()->setConnectedTo(&meter);
        window.setSchedule(rateIndex, timeIndex);
        window.resize(1200, 700);
        window.show();
        QApplication::processEvents();
        window.startLog();
    }
    ~Window() { QFile::remove(window.journalPath()); }
    void feed(qint64 stepMs) {
        now += stepMs;
        window.measure(reading(fed++));
    }
    // Readings 62.5 ms apart on the real clock with the event loop running.
    double realRateUsPerReading(double seconds) {
        const int count = int(seconds * 16);
        int done = 0;
        QEventLoop loop;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            feed(done % 2 ? 62 : 63);
            if (++done == count)
                loop.quit();
        });
        const double before = threadCpuUs();
        tick.start(62);
        loop.exec();
        return (threadCpuUs() - before) / count;
    }
};

// The largest log fed at once, one repaint at the end.
Result runLargest() {
    const double before = rssMb("VmRSS:");
    Result r;
    {
        Window w(4, 10); // 10 Seconds for 1 Day
        QElapsedTimer total;
        total.start();
        for (int i = 0; i < 9000; ++i)
            w.feed(10000);
        w.window.showPending();
        QApplication::processEvents();
        r.totalMs = total.nsecsElapsed() / 1e6;
        r.rows = w.window.data().rows.size();
        r.rssGrowthMb = rssMb("VmRSS:") - before;
    }
    return r;
}

Result runFast(double seconds) {
    Result r;
    Window w(0, 4); // Fast for 10 Minutes
    QElapsedTimer total;
    total.start();
    r.firstUs = w.realRateUsPerReading(seconds);
    // On to near the end of the 10 minutes (the rows between fed at once),
    // room left for the second measurement.
    const qint64 end = w.start + 600000 - qint64((seconds + 5) * 1000);
    while (w.now < end) {
        w.feed(w.fed % 2 ? 62 : 63);
        if (w.fed % 200 == 0)
            QApplication::processEvents();
    }
    w.window.showPending();
    QApplication::processEvents();
    r.lastUs = w.realRateUsPerReading(seconds);
    r.totalMs = total.nsecsElapsed() / 1e6;
    r.rows = w.window.data().rows.size();
    return r;
}

// 10,000 rows through the window's own model, view, statistics and journal.
Result runComponents(int rows) {
    const double before = rssMb("VmRSS:");
    Result r;
    {
        LogData data;
        LogTableModel model(&data);
        QTableView view;
        view.setModel(&model);
        view.resize(1200, 500);
        view.show();
        LogJournal journal;
        journal.create(QStringLiteral("bench"), {});
        QElapsedTimer total;
        total.start();
        for (int i = 0; i < rows; ++i) {
            const LogRow row = logRowFrom(reading(i), 1700000000000 + i * 100);
            model.append(row);
            journal.append(encodeLogRow(row));
        }
        model.publish();
        view.scrollToBottom();
        QApplication::processEvents();
        r.totalMs = total.nsecsElapsed() / 1e6;
        r.rows = data.rows.size();
        r.rssGrowthMb = rssMb("VmRSS:") - before;
        journal.discard();
    }
    return r;
}

} // namespace

int main(int argc, char **argv) {
    int runs = 3;
    double seconds = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1.0, std::atof(argv[i + 1]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit()); // journals go here
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TorvaInstruments"));
    QApplication::setApplicationName(QStringLiteral("TintwellBench"));

    std::vector<double> largeMs, largeMb, componentsMs, componentsMb, fastFirst, fastLast;
    int largeRows = 0, fastRows = 0;
    for (int run = 0; run < runs; ++run) {
        const Result large = runLargest();
        const Result comp = runComponents(10000);
        const Result fast = runFast(seconds);
        largeMs.push_back(large.totalMs);
        largeMb.push_back(large.rssGrowthMb);
        componentsMs.push_back(comp.totalMs);
        componentsMb.push_back(comp.rssGrowthMb);
        fastFirst.push_back(fast.firstUs);
        fastLast.push_back(fast.lastUs);
        largeRows = large.rows;
        fastRows = fast.rows;
        std::printf("run %d: %d rows %.0f ms %.1f MB | 10000 rows %.0f ms %.1f MB | fast %d rows "
                    "%.0f ms, GUI thread %.0f us/reading at the start, %.0f near the end\n",
                    run + 1, large.rows, large.totalMs, large.rssGrowthMb, comp.totalMs,
                    comp.rssGrowthMb, fast.rows, fast.totalMs, fast.firstUs, fast.lastUs);
        std::fflush(stdout);
    }
    std::printf("median: largest log (%d rows) %.0f ms, memory +%.1f MB; 10000 rows %.0f ms, "
                "+%.1f MB; Fast (%d rows) GUI thread %.0f us per reading at the start, %.0f "
                "near the end; peak RSS %.1f MB\n",
                largeRows, median(largeMs), median(largeMb), median(componentsMs),
                median(componentsMb), fastRows, median(fastFirst), median(fastLast),
                rssMb("VmHWM:"));
    return 0;
}

#include "bench_logging_rows.moc"
