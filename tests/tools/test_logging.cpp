// The logging window fed with records on its own clock: one row per
// interval however fast readings come, pause and resume, finishing (also on
// an unplugged instrument), a unit change that re-renders the whole log,
// saving (also to a place that cannot be written, which keeps the journal),
// the questions before data is dropped, and recovery of a journal into a
// fresh window.
#include "fakemeter.h"
#include "filebytes.h"
#include "tempdir.h"

#include "appsettings.h"
#include "flickerlogfile.h"
#include "journal.h"
#include "logging.h"
#include "qcopytable.h"
#include "qportmenu.h"
#include "saveheaders.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "toolwindows.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

class LoggingTest : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        isolatePortManager();
        QDir(LogJournal::directory()).removeRecursively();
        window = std::make_unique<Logging>();
        window->setNow([this] { return now; });
        window->colorimeterMenu()->setConnectedTo(&meter);
        window->setSchedule(0, 0); // Fast for 10 seconds
    }
    void TearDown() override {
        window.reset();
        EmptySettings::TearDown();
    }
    void push(const char *name) { child<QPushButton>(window.get(), name)->click(); }
    // A reading every 62.5 ms, as the colorimeter's fast rate delivers them.
    void readings(int count, double bigY = 100) {
        for (int i = 0; i < count; ++i) {
            now += i % 2 ? 62 : 63;
            window->measure(Measurement::fromxyY(0.3127, 0.329, bigY));
        }
    }
    int rows() const { return window->data().rows.size(); }
    QString header(int column) const {
        return child<QTableView>(window.get(), "tableLog")
            ->model()
            ->headerData(column, Qt::Horizontal)
            .toString();
    }

    qint64 now = 1700000000000;
    FakeMeter meter;
    ScriptedDialogs dialogs;
    TempDir dir;
    std::unique_ptr<Logging> window;
};

} // namespace

TEST_F(LoggingTest, LogsOneRowPerIntervalIntoTableAndJournal) {
    readings(4); // shown, not logged: no log runs
    EXPECT_EQ(rows(), 0);
    push("pushStart");
    EXPECT_EQ(meter.calls.mid(meter.calls.size() - 2), QStringList({"stop", "start"}));
    readings(32); // 2 s
    EXPECT_EQ(rows(), 16);
    JournalContents journal;
    ASSERT_EQ(readJournal(window->journalPath(), &journal, true), JournalRead::Ok);
    EXPECT_EQ(journal.recordCount, 16);
    EXPECT_EQ(journal.value("model"), "FM-1");
    for (int i = 1; i < rows(); ++i)
        EXPECT_GE(window->data().rows.at(i).timeMs - window->data().rows.at(i - 1).timeMs, 100);
    // The statistics table shows the running values.
    EXPECT_EQ(child<QCopyTable>(window.get(), "tableStatistics")->item(2, 1)->text(), "100");
    // An unplugged instrument finishes the log.
    Measurement lost;
    lost.errorCode = 0x1;
    window->measure(lost);
    EXPECT_FALSE(window->logClock().isActive());
    EXPECT_EQ(window->timeRemainingText(), "Finished");
}

TEST_F(LoggingTest, PauseHoldsTheLogAndMovesItsEnd) {
    push("pushStart");
    readings(16); // 1 s
    push("pushPause");
    const int before = rows();
    readings(80); // 5 s paused: shown, not logged
    EXPECT_EQ(rows(), before);
    window->updateTimeLeftLine(false);
    EXPECT_EQ(window->timeRemainingText(), "0:00:09 (paused)");
    push("pushResume");
    window->updateTimeLeftLine(false);
    EXPECT_EQ(window->timeRemainingText(), "0:00:09");
    readings(160); // 10 s: the log ends after 9 of them
    EXPECT_LE(rows(), window->logClock().maxRows());
    window->updateTimeLeftLine();
    EXPECT_EQ(window->timeRemainingText(), "Finished");
    EXPECT_FALSE(window->logClock().isActive());
    EXPECT_EQ(meter.calls.last(), "stop");
    const int total = rows();
    readings(16);
    EXPECT_EQ(rows(), total);
}

TEST_F(LoggingTest, AUnitChangeMidLogRewritesHeadersRowsAndStatistics) {
    push("pushStart");
    readings(8, 100);
    EXPECT_EQ(header(2), "Y (nits)");
    appSettings().setValue("isNits", false);
    readings(8, 200);
    EXPECT_EQ(header(2), "Y (fL)");
    QAbstractItemModel *model = child<QTableView>(window.get(), "tableLog")->model();
    EXPECT_EQ(model->index(0, 2).data().toString(), "29.2");          // 100 nits
    EXPECT_EQ(model->index(rows() - 1, 2).data().toString(), "58.4"); // 200 nits
    QCopyTable *stats = child<QCopyTable>(window.get(), "tableStatistics");
    EXPECT_EQ(stats->horizontalHeaderItem(1)->text(), "Y (fL)");
    EXPECT_EQ(stats->item(0, 1)->text(), "29.2");
    EXPECT_EQ(stats->item(1, 1)->text(), "58.4");
}

TEST_F(LoggingTest, SavingWritesTheFileOrKeepsTheJournalAndSaysSo) {
    push("pushSave");
    EXPECT_EQ(dialogs.last().title, "Save Data");
    EXPECT_EQ(dialogs.last().text, "You must have data logged to save a log file.");
    push("pushStart");
    readings(16);
    push("pushStop");

    dialogs.queueFileName("/proc/tintwell-log.csv"); // a place nothing can write
    push("pushSave");
    EXPECT_EQ(dialogs.last().text, "The file you have selected couldn't be open.");
    EXPECT_TRUE(QFile::exists(window->journalPath()));

    const QString path = QString::fromStdString(dir.file("log.csv"));
    dialogs.queueFileName(path);
    push("pushSave");
    EXPECT_EQ(fileBytes(path), loggingCsv(window->data(), LogFormat::current()));
    JournalContents journal;
    ASSERT_EQ(readJournal(window->journalPath(), &journal, false), JournalRead::Ok);
    EXPECT_EQ(journal.value("saved"), path);
}

TEST_F(LoggingTest, DataIsDroppedOnlyAfterAYes) {
    push("pushStart");
    readings(16);
    push("pushStop");
    const QString journal = window->journalPath();
    const int taken = rows();
    // Start on a full table asks first; No keeps the data and does not start.
    dialogs.queueButton(QMessageBox::No);
    push("pushStart");
    EXPECT_EQ(dialogs.last().title, "Clear Data");
    EXPECT_EQ(dialogs.last().text, "Are you sure you want to Clear the data?");
    EXPECT_EQ(rows(), taken);
    EXPECT_FALSE(window->logClock().isActive());
    // Closing with data asks too.
    dialogs.queueButton(QMessageBox::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs.last().title, "Close");
    dialogs.queueButton(QMessageBox::Yes);
    push("pushClear");
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(QFile::exists(journal));
}

TEST_F(LoggingTest, AJournalLeftBehindIsRecoveredIntoAFreshWindow) {
    push("pushStart");
    readings(24);
    const QString journal = window->journalPath();
    const LogData taken = window->data();
    window.reset(); // as if the program ended: the journal stays

    Logging fresh;
    ASSERT_TRUE(fresh.recover(journal));
    ASSERT_EQ(fresh.data().rows.size(), taken.rows.size());
    EXPECT_EQ(fresh.data().meta.serialNumber, "FM1-0042");
    EXPECT_EQ(loggingCsv(fresh.data(), LogFormat{true, 3}), loggingCsv(taken, LogFormat{true, 3}));
    EXPECT_EQ(fresh.journalPath(), journal); // taken over, so it survives another crash
}

TEST_F(LoggingTest, ColumnChooserKeepsTenFlags) {
    // A stored list of another length is not trusted.
    appSettings().setValue("saveHeaders/headersSave", QVariantList{true, false});
    EXPECT_EQ(saveHeaders::storedFlags(), QVector<bool>(10, false).toList());
    saveHeaders dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select data to log");
    child<QCheckBox>(&dialog, "checkAll")->click();
    EXPECT_EQ(dialog.flags(), QVector<bool>(10, true).toList());
    child<QCheckBox>(&dialog, "checkLab")->click();
    EXPECT_FALSE(child<QCheckBox>(&dialog, "checkAll")->isChecked());
    dialog.accept();
    QList<bool> expected = QVector<bool>(10, true).toList();
    expected[saveHeaders::Lab] = false;
    EXPECT_EQ(saveHeaders::storedFlags(), expected);
}

TEST_F(LoggingTest, StartUpOffersOnlyLogsThatAreNotInAFileYet) {
    push("pushStart");
    readings(8);
    push("pushStop");
    dialogs.queueFileName(QString::fromStdString(dir.file("log.csv")));
    push("pushSave");
    const QString saved = window->journalPath();
    window.reset(); // the program ends: the journal stays
    QWidget host;
    QPortMenu menu;
    ToolWindows tools(&host, &menu);
    const int asked = dialogs.count();
    // Saved after its last row: nothing to offer, and gone.
    EXPECT_EQ(tools.offerRecovery(saved), ToolWindows::Recovery::Discarded);
    EXPECT_FALSE(QFile::exists(saved));
    EXPECT_EQ(dialogs.count(), asked);

    LogJournal peaks;
    ASSERT_TRUE(peaks.create("peaks", flickerJournalNotes(FlickerLogKind::Peaks, "/x.csv", {})));
    peaks.append("a line");
    const QString path = peaks.path();
    peaks.release();
    dialogs.queueButton(QMessageBox::Cancel);
    EXPECT_EQ(tools.offerRecovery(path), ToolWindows::Recovery::Kept);
    EXPECT_EQ(dialogs.last().title, "Recover Log");
    EXPECT_TRUE(QFile::exists(path));
    dialogs.queueButton(QMessageBox::No);
    EXPECT_EQ(tools.offerRecovery(path), ToolWindows::Recovery::Discarded);
    EXPECT_FALSE(QFile::exists(path));
}
