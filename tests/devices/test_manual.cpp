// The manual meter: a measurement asked for on a worker thread shows the
// entry dialog on the GUI thread; accepted, refused, cancelled and escaped
// entries, in nits and in foot-lamberts. Message boxes are answered through
// the dialog seam.
#include "appsettings.h"
#include "factories.h"
#include "manual.h"
#include "manualentry.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtConcurrent>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs measure() on a pool thread and plays the operator on this one: each
// step gets the open dialog (from a timer, since the dialog runs its own
// event loop); the last step must close it.
Measurement measureWith(Manual &meter,
                        const std::vector<std::function<void(ManualEntry *)>> &steps) {
    std::size_t next = 0;
    QTimer operatorHand;
    operatorHand.setInterval(20);
    QObject::connect(&operatorHand, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<ManualEntry *>(QApplication::activeModalWidget());
        if (dialog && next < steps.size())
            steps[next++](dialog);
    });
    operatorHand.start();
    QFuture<Measurement> f = QtConcurrent::run([&meter] { return meter.measure(1); });
    QElapsedTimer t;
    t.start();
    while (!f.isFinished() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(next, steps.size());
    EXPECT_TRUE(f.isFinished());
    return f.result();
}

std::function<void(ManualEntry *)> type(const QString &x, const QString &y, const QString &Y,
                                        const char *button = "pushAccept") {
    return [=](ManualEntry *d) {
        d->findChild<QLineEdit *>("linex")->setText(x);
        d->findChild<QLineEdit *>("liney")->setText(y);
        d->findChild<QLineEdit *>("linebigY2")->setText(Y);
        QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
    };
}

std::function<void(ManualEntry *)> click(const char *button) {
    return [=](ManualEntry *d) {
        QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
    };
}

class ManualMeter : public ::testing::Test {
protected:
    void SetUp() override {
        appSettings().setValue("isNits", true);
        ASSERT_TRUE(meter.open(QString()));
    }
    Manual meter;
    ScriptedDialogs boxes;
};

TEST_F(ManualMeter, FactoryAndIdentity) {
    registerManualMeter();
    GenFactory *f = findFactory(DeviceNames::manual);
    ASSERT_TRUE(f);
    ConnectionInfo info;
    EXPECT_TRUE(f->probe(QString(), &info));
    EXPECT_EQ(info.model, "Manual ");
    EXPECT_EQ(info.serialNumber, "Entry");
    EXPECT_EQ(info.port, "Manual_Entry");
    EXPECT_EQ(info.type, ManualDevice);
    EXPECT_EQ(f->roles(), RoleManual);
    EXPECT_EQ(f->connectionKind(), NoConnection);
    EXPECT_EQ(meter.manufacturer(), "Manual Entry");
    QSignalSpy closed(&meter, &GenDevice::closed);
    meter.close();
    meter.close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(meter.isConnected()); // always there
}

TEST_F(ManualMeter, AcceptedEntryInNits) {
    const Measurement m = measureWith(meter, {type("0.3127", "0.3290", "100")});
    EXPECT_EQ(m.errorCode, 0u);
    EXPECT_NEAR(m.bigY, 100, 1e-9);
    EXPECT_NEAR(m.temp, 6504, 10);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ManualMeter, FootLambertsAreStoredAsNits) {
    appSettings().setValue("isNits", false);
    QString units;
    const Measurement m = measureWith(meter, {[&](ManualEntry *d) {
                                          units = d->findChild<QLabel *>("labelUnits")->text();
                                          type("0.3127", "0.329", "10")(d);
                                      }});
    EXPECT_EQ(units, "fL");
    EXPECT_NEAR(m.bigY, 34.262591, 1e-9);
}

TEST_F(ManualMeter, RefusedEntriesKeepTheDialogOpen) {
    // A letter, no chromaticity (y = 0) and a negative luminance are refused;
    // then a good entry closes the dialog.
    const Measurement m =
        measureWith(meter, {type("0.3a", "0.33", "50"), type("0.3", "0", "50"),
                            type("0.3", "0.33", "-5"), type("0.3", "0.33", "50")});
    ASSERT_EQ(boxes.count(), 3);
    for (const ScriptedDialogs::Shown &s : boxes.shown()) {
        EXPECT_EQ(s.kind, "critical");
        EXPECT_EQ(s.title, "Entry");
        EXPECT_EQ(s.text, "The entry has an error.");
    }
    EXPECT_EQ(m.errorCode, 0u);
    EXPECT_NEAR(m.bigY, 50, 1e-9);
}

TEST_F(ManualMeter, CancelAsksFirst) {
    boxes.queueButton(QMessageBox::No);
    boxes.queueButton(QMessageBox::Yes);
    const Measurement m = measureWith(meter, {click("pushCancel"), click("pushCancel")});
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_EQ(boxes.last().title, "Manual Entry");
    EXPECT_EQ(boxes.last().text, "Are you sure you want to cancel the manual entry?");
    EXPECT_EQ(m.errorCode, 8u);
}

TEST_F(ManualMeter, EscapeIsACancelNotAnEmptyReading) {
    const Measurement m =
        measureWith(meter, {[](ManualEntry *d) { QTest::keyClick(d, Qt::Key_Escape); }});
    EXPECT_EQ(m.errorCode, 8u);
    EXPECT_EQ(boxes.count(), 0);
}

} // namespace
