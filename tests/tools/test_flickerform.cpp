// The flicker tool fed with scripted records: the three logs and "Save
// Flicker" against golden files, records of the first 4 seconds shown but
// not logged, logs refused or stopped as described, settings kept in step
// with the device and locked while a log runs, and the error boxes.
#include "flickertesting.h"
#include "goldenfiles.h"
#include "tempdir.h"

#include "flickerform.h"
#include "flickerlogs.h"
#include "journal.h"
#include "qgraphbox.h"
#include "qledindicator.h"
#include "qportmenu.h"
#include "scripteddialogs.h"
#include "windowtesting.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class FlickerFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        isolatePortManager();
        QDir(LogJournal::directory()).removeRecursively();
        form = std::make_unique<FlickerForm>();
        form->setNow([this] { return now; });
        form->colorimeterMenu()->setConnectedTo(&meter);
    }
    void TearDown() override { form.reset(); }

    void flicker() { child<QPushButton>(form.get(), "pushFlicker")->click(); }
    // Records 1..count, one every 125 ms of the form's clock.
    void feed(int from, int to, int flashAt = -1) {
        for (int c = from; c <= to; ++c) {
            now = start + c * 125;
            form->on_flicker(scriptedRecord(c, flashAt));
        }
    }
    QAction *action(const char *name) { return child<QAction>(form.get(), name); }
    QString path(const char *name) { return QString::fromStdString(dir.file(name)); }

    const qint64 start = QDateTime(QDate(2024, 3, 5), QTime(14, 30, 0)).toMSecsSinceEpoch();
    qint64 now = start;
    FlickerMeter meter;
    ScriptedDialogs dialogs;
    TempDir dir;
    std::unique_ptr<FlickerForm> form;
};

} // namespace

TEST_F(FlickerFormTest, LogsAndSaveFlickerMatchTheGoldenFiles) {
    ASSERT_TRUE(form->startLog(FlickerLogKind::Flashes, path("flashes.csv"), 0, 0.5));
    ASSERT_TRUE(form->startLog(FlickerLogKind::Peaks, path("peaks.csv"), 0, 0));
    ASSERT_TRUE(form->startLog(FlickerLogKind::Signal, path("signal.csv"), 0, 0));
    EXPECT_TRUE(action("actionLog_Flicker_Peaks")->isChecked()); // armed
    EXPECT_FALSE(form->isLogRunning(FlickerLogKind::Peaks));
    flicker();
    ASSERT_TRUE(form->isFlickering());
    EXPECT_TRUE(form->isLogRunning(FlickerLogKind::Peaks));
    // The header at once; every line follows as it is logged, so the file
    // holds the log so far at any moment.
    EXPECT_EQ(fileBytes(path("peaks.csv")), peakLogHeader().join('\n') + '\n');

    dialogs.queueFileName(path("saveflicker.csv"));
    action("actionSave_Next_Flicker")->trigger();
    feed(1, 31); // the first 4 seconds: shown, not logged
    EXPECT_FALSE(QFile::exists(path("saveflicker.csv")));
    EXPECT_EQ(child<QLineEdit>(form.get(), "linePeakHz1")->text(), "32.0 Hz");
    feed(32, 33);
    EXPECT_EQ(fileBytes(path("peaks.csv")).count('\n'), peakLogHeader().size() + 2);
    EXPECT_GT(fileBytes(path("signal.csv")).count('\n'), 90); // two records' samples
    form->stopLog(FlickerLogKind::Signal);                    // two records of signal are enough
    EXPECT_FALSE(action("actionSave_Signal_vs_Time")->isChecked());
    feed(34, 84, 8 * 256 + 40); // a flash at 8.16 s, scanned a second later
    flicker();                  // stops flickering and closes every log

    EXPECT_FALSE(form->isFlickering());
    for (const char *name : {"peaks.csv", "flashes.csv", "signal.csv", "saveflicker.csv"})
        EXPECT_EQ(fileBytes(path(name)), golden(name)) << name;
    EXPECT_EQ(form->flashDetector().positive().count, 1);
    EXPECT_TRUE(QDir(LogJournal::directory()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(dialogs.count(), 1); // only the save dialog
}

TEST_F(FlickerFormTest, LogsAreRefusedOrStoppedAsDescribed) {
    flicker();
    ASSERT_TRUE(form->startLog(FlickerLogKind::Peaks, path("a.csv"), 0, 0));
    // The same file for a second log is refused; the first goes on.
    EXPECT_FALSE(form->startLog(FlickerLogKind::Signal, path("a.csv"), 0, 0));
    EXPECT_EQ(dialogs.last().title, "Duplicate File Name");
    EXPECT_EQ(dialogs.last().text, "This file name is already used for another log");
    EXPECT_TRUE(form->isLogRunning(FlickerLogKind::Peaks));
    // A flash log asks before it stops the others; Cancel keeps them.
    dialogs.queueButton(QMessageBox::Cancel);
    EXPECT_FALSE(form->startLog(FlickerLogKind::Flashes, path("b.csv"), 0, 1));
    EXPECT_EQ(dialogs.last().title, "Flash Log");
    EXPECT_TRUE(form->isLogRunning(FlickerLogKind::Peaks));
    // Settings that change the acquisition wait for the log.
    EXPECT_FALSE(child<QMenu>(form.get(), "menuResolution")->isEnabled());
    // A place that cannot be written is refused at once.
    EXPECT_FALSE(form->startLog(FlickerLogKind::Signal, "/proc/tintwell-signal.csv", 0, 0));
    EXPECT_EQ(dialogs.last().title, "Flicker Signal Log");
    EXPECT_EQ(dialogs.last().text, "The file you have selected couldn't be open.");

    // A log with an end time stops by itself once it has passed.
    ASSERT_TRUE(form->startLog(FlickerLogKind::Signal, path("c.csv"), 0.1, 0)); // 6 s
    feed(33, 33 + 6 * 8);
    EXPECT_FALSE(form->isLogRunning(FlickerLogKind::Signal));
    EXPECT_TRUE(form->isLogRunning(FlickerLogKind::Peaks)); // 0 minutes: until stopped
    EXPECT_TRUE(fileBytes(path("c.csv")).startsWith("Loging Signal VS Time,StartTime,"));
    flicker();
    EXPECT_TRUE(child<QMenu>(form.get(), "menuResolution")->isEnabled());
}

TEST_F(FlickerFormTest, SettingsFollowTheDeviceAndReachIt) {
    // FakeMeter reports normalized, JEITA and both discounts on.
    EXPECT_TRUE(action("actionNormalized")->isChecked());
    EXPECT_TRUE(action("actionJEITA")->isChecked());
    EXPECT_TRUE(action("actionAutoRange")->isChecked());
    EXPECT_TRUE(action("actionSamples_64")->isChecked());
    EXPECT_TRUE(meter.calls.contains("optionA 1") && meter.calls.contains("optionB 1"));

    action("actionRange_5")->trigger();
    action("actionContrast_Method")->trigger();
    action("actionVESA_DB")->trigger();
    EXPECT_EQ(meter.calls.mid(meter.calls.size() - 3),
              QStringList({"range 5", "normalized 0", "jeita 0"}));
    EXPECT_TRUE(action("actionRange_5")->isChecked());
    EXPECT_FALSE(action("actionAutoRange")->isChecked());

    // A new resolution while flickering restarts the acquisition with it,
    // and the time views follow it.
    child<QRadioButton>(form.get(), "radioSignal")->click();
    flicker();
    meter.calls.clear();
    action("actionSamples_1024")->trigger();
    EXPECT_EQ(meter.calls, QStringList({"stopFlicker", "samples 1024", "flicker 1"}));
    EXPECT_TRUE(form->isFlickering());
    EXPECT_EQ(child<QGraphBox>(form.get(), "graphBox")->xMax(), 4);

    // The lock settles on the range the instrument is in.
    action("actionAuto_Lock_Range")->trigger();
    form->on_flicker(scriptedRecord(1));
    EXPECT_TRUE(action("actionRange_3")->isChecked());
}

TEST_F(FlickerFormTest, FailuresAreReportedWithTheirReasons) {
    meter.startResult = 0x2000000 | 0x40;
    flicker();
    EXPECT_FALSE(form->isFlickering());
    EXPECT_EQ(dialogs.last().title, "Flicker Error");
    EXPECT_EQ(dialogs.last().text,
              "This Torva device doesn't support Flicker.\nThe Aiming Lights are on. Please turn "
              "them off, and try again.\n");

    meter.startResult = 0;
    flicker();
    // Indicator bits light the lamps and the record is still shown.
    form->on_flicker(scriptedRecord(1, -1, 0x1000000 | 0x8000000));
    EXPECT_TRUE(child<QLedIndicator>(form.get(), "ledRangeChanged")->isChecked());
    EXPECT_TRUE(child<QLedIndicator>(form.get(), "ledOverSaturated")->isChecked());
    EXPECT_FALSE(child<QLedIndicator>(form.get(), "ledInsufficientData")->isChecked());
    EXPECT_TRUE(form->isFlickering());
    // A bad record is reported and flickering goes on, its logs with it.
    ASSERT_TRUE(form->startLog(FlickerLogKind::Peaks, path("kept.csv"), 0, 0));
    form->on_flicker(scriptedRecord(2, -1, 0x80000));
    EXPECT_EQ(dialogs.last().text, "The Flicker string from the Torva device was bad.\n");
    EXPECT_TRUE(form->isFlickering());
    EXPECT_TRUE(form->isLogRunning(FlickerLogKind::Peaks));
    // A lost instrument stops flickering and says so.
    form->on_flicker(scriptedRecord(2, -1, 0x1));
    EXPECT_FALSE(form->isFlickering());
    EXPECT_EQ(dialogs.last().title, "Measurement Error");
    EXPECT_EQ(dialogs.last().text, "The Torva device has been unplugged\n");
}
