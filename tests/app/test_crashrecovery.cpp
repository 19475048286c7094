// Logs survive a crash. Tintwell runs as a child process with the simulated
// colorimeter and starts a log by itself (TINTWELL_AUTOLOG), printing every
// row as it takes it; it is killed with SIGKILL in the middle of the log. A
// new start offers the log: every row taken more than a second before the
// kill comes back, and none is damaged. The same for a flicker peak log.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "childprocess.h"
#include "filebytes.h"
#include "flickerlogs.h"
#include "journal.h"
#include "logdata.h"
#include "logging.h"
#include "mainwindow.h"
#include "scripteddialogs.h"
#include "tempdir.h"
#include "toolwindows.h"
#include "windowtesting.h"

#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

#include <limits>
#include <signal.h>

namespace {

struct Printed {
    qint64 arrivedMs;
    QByteArray payload;
};

class CrashRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(LogJournal::directory()).removeRecursively();
        // The child's own settings file: it reconnects the simulator.
        QSettings child(qEnvironmentVariable("XDG_CONFIG_HOME") + "/TorvaInstruments/Tintwell.ini",
                        QSettings::IniFormat);
        child.setValue("mainwindow/lastTDevice", QStringLiteral("TV-40:") + sim.serial());
        child.sync();
    }
    void TearDown() override {
        window.reset();
        QDir(LogJournal::directory()).removeRecursively();
    }

    // Runs Tintwell with the log asked for until it has printed 30 lines of
    // the kind (each stamped when it arrived), then kills it with SIGKILL: no
    // destructor, no flush, no goodbye. Returns what it printed more than a
    // second before the kill.
    QList<QByteArray> runAndKill(const QString &autoLog, const char *kind) {
        app = std::make_unique<ChildProcess>(
            std::vector<std::string>{"tintwell"},
            std::vector<std::string>{"TINTWELL_EXTRA_PORTS=" + sim.port().toStdString(),
                                     "TINTWELL_AUTOLOG=" + autoLog.toStdString(),
                                     "QT_QPA_PLATFORM=offscreen"});
        const qint64 end = QDateTime::currentMSecsSinceEpoch() + 60000;
        std::size_t seen = 0;
        while (printed.value(kind).size() < 30 && QDateTime::currentMSecsSinceEpoch() < end) {
            app->waitLines(seen + 1, 20);
            const std::vector<std::string> lines = app->lines();
            for (; seen < lines.size(); ++seen) {
                // "autolog KIND PAYLOAD"; a peak line has a space of its own.
                const QByteArray line = QByteArray::fromStdString(lines[seen]);
                const int kindEnd = line.indexOf(' ', 8);
                if (line.startsWith("autolog ") && kindEnd > 8)
                    printed[line.mid(8, kindEnd - 8)].append(
                        {QDateTime::currentMSecsSinceEpoch(), line.mid(kindEnd + 1)});
            }
        }
        EXPECT_GE(printed.value(kind).size(), 30) << app->err();
        const qint64 killedAt = QDateTime::currentMSecsSinceEpoch();
        app->signal(SIGKILL);
        app->wait(); // reaped: its lock is stale now
        return printedBefore(kind, killedAt - 1000);
    }
    // A new start, answering Yes to the recovery and saving to the file given.
    void restart(const QString &saveTo) {
        isolatePortManager();
        dialogs.queueButton(QMessageBox::Yes);
        dialogs.queueFileName(saveTo);
        window = std::make_unique<MainWindow>(); // offers the journal once it is up
        ASSERT_TRUE(waitUntil([&] { return dialogs.count() >= 2; }, 5000));
        EXPECT_EQ(dialogs.shown().at(0).title, "Recover Log");
    }
    // What was printed before the given moment (all of it by default).
    QList<QByteArray> printedBefore(const char *kind,
                                    qint64 ms = std::numeric_limits<qint64>::max()) const {
        QList<QByteArray> out;
        for (const Printed &p : printed.value(kind))
            if (p.arrivedMs < ms)
                out << p.payload;
        return out;
    }

    SimColorimeter sim{"TV-40", 1.0};
    std::unique_ptr<ChildProcess> app;
    QMap<QByteArray, QList<Printed>> printed;
    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(CrashRecoveryTest, ALoggingRunKilledMidwayIsRecoveredAtTheNextStart) {
    const QList<QByteArray> mustHave = runAndKill("logging", "row");
    ASSERT_GE(mustHave.size(), 20);
    const QString saved = QString::fromStdString(dir.file("recovered.csv"));
    ASSERT_NO_FATAL_FAILURE(restart(saved));

    const LogData &data = window->tools()->logging()->data();
    QList<QByteArray> recovered;
    for (const LogRow &row : data.rows)
        recovered << encodeLogRow(row);
    for (const QByteArray &row : mustHave)
        EXPECT_TRUE(recovered.contains(row)) << row.constData();
    // Nothing damaged: every row is one the program took (the last may
    // have reached the journal just before it could be printed).
    const QList<QByteArray> all = printedBefore("row");
    for (int i = 0; i < recovered.size(); ++i)
        EXPECT_TRUE(all.contains(recovered.at(i)) || i == recovered.size() - 1) << i;
    EXPECT_EQ(data.meta.model, "TV-40");

    EXPECT_EQ(fileBytes(saved), loggingCsv(data, LogFormat::current()));
}

TEST_F(CrashRecoveryTest, AFlickerPeakLogKilledMidwayIsRecoveredAtTheNextStart) {
    ASSERT_EQ(sim.say("flicker sine 40 10").substr(0, 2), "ok");
    const QString target = QString::fromStdString(dir.file("peaks.csv"));
    const QList<QByteArray> mustHave = runAndKill("peaks:" + target, "peaks");
    ASSERT_GE(mustHave.size(), 15);
    // The file the user chose holds its header and every line logged before
    // the kill: each was appended and flushed as it was taken.
    const QList<QByteArray> written = fileBytes(target).split('\n');
    EXPECT_EQ(written.mid(0, 2), peakLogHeader());
    for (const QByteArray &line : mustHave)
        EXPECT_TRUE(written.contains(line)) << line.constData();

    ASSERT_NO_FATAL_FAILURE(restart(target));
    EXPECT_EQ(dialogs.shown().at(1).text.section('|', 0, 0), target); // offered where it was

    QList<QByteArray> lines = fileBytes(target).split('\n');
    ASSERT_EQ(lines.takeLast(), QByteArray()); // ends with a line end
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(0, 2), peakLogHeader());
    lines = lines.mid(2);
    for (const QByteArray &line : mustHave)
        EXPECT_TRUE(lines.contains(line)) << line.constData();
    for (const QByteArray &line : lines)
        EXPECT_EQ(line.count(','), 15) << line.constData();
    EXPECT_TRUE(QDir(LogJournal::directory()).entryList({"*.journal"}).isEmpty());
}
