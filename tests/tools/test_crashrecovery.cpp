// Logs survive a crash. Tintwell runs as a child process with the simulated
// colorimeter and starts a log by itself (TINTWELL_AUTOLOG), printing every
// row as it takes it; it is killed with SIGKILL in the middle of the log. A
// new start offers the log: every row taken more than a second before the
// kill comes back, and none is damaged. The same for a flicker peak log.
#include "devicetesting.h" // first: the simulator before any Qt header

#include "flickerlogs.h"
#include "journal.h"
#include "logdata.h"
#include "logging.h"
#include "mainwindow.h"
#include "scripteddialogs.h"
#include "toolwindows.h"
#include "windowtesting.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished();
        }
        QDir(LogJournal::directory()).removeRecursively();
    }

    // Starts Tintwell with the log asked for; collects what it prints.
    void start(const QString &autoLog) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TINTWELL_EXTRA_PORTS", sim.port());
        env.insert("TINTWELL_AUTOLOG", autoLog);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&app, &QProcess::readyReadStandardOutput, [this] {
            while (app.canReadLine()) {
                const QByteArray line = app.readLine().trimmed();
                const QList<QByteArray> parts = line.split(' ');
                if (parts.size() >= 3 && parts.at(0) == "autolog")
                    printed[parts.at(1)].append(
                        {QDateTime::currentMSecsSinceEpoch(),
                         line.mid(parts.at(0).size() + parts.at(1).size() + 2)});
            }
        });
        app.start(qEnvironmentVariable("TINTWELL_BIN_DIR") + "/tintwell", QStringList());
        ASSERT_TRUE(app.waitForStarted());
    }
    // SIGKILL: no destructor, no flush, no goodbye.
    qint64 killNow() {
        const qint64 at = QDateTime::currentMSecsSinceEpoch();
        ::kill(static_cast<pid_t>(app.processId()), SIGKILL);
        app.waitForFinished(); // reaped: its lock is stale now
        return at;
    }
    // What was printed more than a second before the kill.
    QList<QByteArray> takenBefore(const char *kind, qint64 killedAt) const {
        QList<QByteArray> out;
        for (const Printed &p : printed.value(kind))
            if (p.arrivedMs < killedAt - 1000)
                out << p.payload;
        return out;
    }
    QList<QByteArray> allPrinted(const char *kind) const {
        QList<QByteArray> out;
        for (const Printed &p : printed.value(kind))
            out << p.payload;
        return out;
    }

    SimColorimeter sim{"TV-40", 1.0};
    QProcess app;
    QMap<QByteArray, QList<Printed>> printed;
    QTemporaryDir dir;
};

} // namespace

TEST_F(CrashRecoveryTest, ALoggingRunKilledMidwayIsRecoveredAtTheNextStart) {
    start("logging");
    ASSERT_TRUE(waitUntil([this] { return printed.value("row").size() >= 30; }, 60000))
        << "rows printed: " << printed.value("row").size();
    const qint64 killedAt = killNow();
    const QList<QByteArray> mustHave = takenBefore("row", killedAt);
    ASSERT_GE(mustHave.size(), 20);

    isolatePortManager();
    ScriptedDialogs dialogs;
    dialogs.queueButton(QMessageBox::Yes);
    const QString saved = dir.filePath("recovered.csv");
    dialogs.queueFileName(saved);
    MainWindow window; // offers the journal once it is up
    ASSERT_TRUE(waitUntil([&] { return dialogs.count() >= 2; }, 5000));
    EXPECT_EQ(dialogs.shown().at(0).title, "Recover Log");

    const LogData &data = window.tools()->logging()->data();
    QList<QByteArray> recovered;
    for (const LogRow &row : data.rows)
        recovered << encodeLogRow(row);
    for (const QByteArray &row : mustHave)
        EXPECT_TRUE(recovered.contains(row)) << row.constData();
    // Nothing damaged: every row is one the program took (the last may
    // have reached the journal just before it could be printed).
    const QList<QByteArray> all = allPrinted("row");
    for (int i = 0; i < recovered.size(); ++i)
        EXPECT_TRUE(all.contains(recovered.at(i)) || i == recovered.size() - 1) << i;
    EXPECT_EQ(data.meta.model, "TV-40");

    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), loggingCsv(data, LogFormat::current()));
}

TEST_F(CrashRecoveryTest, AFlickerPeakLogKilledMidwayIsRecoveredAtTheNextStart) {
    ASSERT_EQ(sim.say("flicker sine 40 10").substr(0, 2), "ok");
    const QString target = dir.filePath("peaks.csv");
    start("peaks:" + target);
    ASSERT_TRUE(waitUntil([this] { return printed.value("peaks").size() >= 30; }, 60000))
        << "lines printed: " << printed.value("peaks").size();
    const qint64 killedAt = killNow();
    const QList<QByteArray> mustHave = takenBefore("peaks", killedAt);
    ASSERT_GE(mustHave.size(), 15);
    // The file the user chose holds its header, whole, and nothing half-written.
    QFile partial(target);
    ASSERT_TRUE(partial.open(QIODevice::ReadOnly));
    EXPECT_EQ(partial.readAll(), peakLogHeader().join('\n') + '\n');
    partial.close();

    isolatePortManager();
    ScriptedDialogs dialogs;
    dialogs.queueButton(QMessageBox::Yes);
    dialogs.queueFileName(target);
    MainWindow window;
    ASSERT_TRUE(waitUntil([&] { return dialogs.count() >= 2; }, 5000));
    EXPECT_EQ(dialogs.shown().at(0).title, "Recover Log");
    EXPECT_EQ(dialogs.shown().at(1).text.section('|', 0, 0), target); // offered where it was

    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
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
