// What a long log costs the logging tool, readings fed on the window's own
// clock as fast as it takes them, the window shown (offscreen):
//  - the largest log the sliders allow (1 Day at 10 Seconds, 8641 rows) and
//    the full 10,000 rows of the sample rule through the same table model,
//    statistics and journal: the time of all appends (one repaint at the
//    end) and the memory they take;
//  - "Fast" for its full log time (10 Minutes, 6001 rows), the window
//    repainted after every reading as the event loop does: time per reading
//    at the start and at the end of the log.
// Medians over the runs. A build target, run by hand:
//   <build>/bin/bench_logging_rows [--runs 5]
#include "genmeasure.h"
#include "journal.h"
#include "logging.h"
#include "logtablemodel.h"
#include "qportmenu.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
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
    double firstUs = 0; // median per reading over the first 500 rows
    double lastUs = 0;  // and over the last 500
    double rssGrowthMb = 0;
    int rows = 0;
};

Measurement reading(int i) {
    return Measurement::fromxyY(0.3127 + 0.0001 * (i % 50), 0.329, 100 + i % 37);
}

Result runWindow(int rateIndex, int timeIndex, qint64 stepMs, int readings, bool repaintEach) {
    BenchMeter meter;
    const double before = rssMb("VmRSS:");
    Result r;
    {
        Logging window;
        qint64 now = 1700000000000;
        window.setNow([&now] { return now; });
        window.colorimeterMenu()->setConnectedTo(&meter);
        window.setSchedule(rateIndex, timeIndex);
        window.resize(1200, 700);
        window.show();
        QApplication::processEvents();
        window.startLog();
        std::vector<double> perReading;
        perReading.reserve(readings);
        QElapsedTimer total, one;
        total.start();
        for (int i = 0; i < readings; ++i) {
            now += stepMs;
            one.start();
            window.measure(reading(i));
            if (repaintEach)
                QApplication::processEvents();
            perReading.push_back(one.nsecsElapsed() / 1000.0);
        }
        QApplication::processEvents();
        r.totalMs = total.nsecsElapsed() / 1e6;
        r.rows = window.data().rows.size();
        const int n = std::min<int>(500, perReading.size() / 2);
        r.firstUs = median({perReading.begin(), perReading.begin() + n});
        r.lastUs = median({perReading.end() - n, perReading.end()});
        r.rssGrowthMb = rssMb("VmRSS:") - before;
        QFile::remove(window.journalPath());
    }
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
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit()); // journals go here
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TorvaInstruments"));
    QApplication::setApplicationName(QStringLiteral("TintwellBench"));

    std::vector<double> largeMs, largeMb, componentsMs, componentsMb, fastFirst, fastLast, fastMs;
    int largeRows = 0, fastRows = 0;
    for (int run = 0; run < runs; ++run) {
        const Result large = runWindow(4, 10, 10000, 9000, false); // 1 Day at 10 Seconds
        const Result comp = runComponents(10000);
        const Result fast = runWindow(0, 4, 100, 6100, true); // Fast for 10 Minutes
        largeMs.push_back(large.totalMs);
        largeMb.push_back(large.rssGrowthMb);
        componentsMs.push_back(comp.totalMs);
        componentsMb.push_back(comp.rssGrowthMb);
        fastFirst.push_back(fast.firstUs);
        fastLast.push_back(fast.lastUs);
        fastMs.push_back(fast.totalMs);
        largeRows = large.rows;
        fastRows = fast.rows;
        std::printf("run %d: %d rows %.0f ms %.1f MB | 10000 rows %.0f ms %.1f MB | fast %d rows "
                    "%.0f ms, %.0f us/reading at the start, %.0f at the end\n",
                    run + 1, large.rows, large.totalMs, large.rssGrowthMb, comp.totalMs,
                    comp.rssGrowthMb, fast.rows, fast.totalMs, fast.firstUs, fast.lastUs);
        std::fflush(stdout);
    }
    std::printf("median: largest log (%d rows) %.0f ms, memory +%.1f MB; 10000 rows %.0f ms, "
                "+%.1f MB; Fast (%d rows) %.0f ms, %.0f us per reading at the start, %.0f at "
                "the end; peak RSS %.1f MB\n",
                largeRows, median(largeMs), median(largeMb), median(componentsMs),
                median(componentsMb), fastRows, median(fastMs), median(fastFirst), median(fastLast),
                rssMb("VmHWM:"));
    return 0;
}

#include "bench_logging_rows.moc"
