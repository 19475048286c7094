// Window geometry memory: normal and maximised round trips through the
// window's own settings group, save on hide and on destruction.
#include "qmemorymainwindow.h"
#include "settingsfixture.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTest>

#include <memory>

namespace {

class MemoryWindow : public EmptySettings {
protected:
    static QVariant stored(const QString &key) { return QSettings().value(key); }
};

TEST_F(MemoryWindow, NormalWindowRoundTrip) {
    {
        QMemoryMainWindow w("logging");
        w.show();
        w.resize(520, 310);
        w.move(40, 60);
        w.hide();
        EXPECT_EQ(stored("logging/size").toSize(), QSize(520, 310));
        EXPECT_EQ(stored("logging/pos").toPoint(), QPoint(40, 60));
        EXPECT_FALSE(stored("logging/maximized").toBool());
        EXPECT_FALSE(stored("logging/geometry").toByteArray().isEmpty());
        EXPECT_TRUE(stored("logging/windowState").isValid());
    }
    // Keys lie under the window's group only.
    for (const QString &key : storedKeys())
        EXPECT_TRUE(key.startsWith("logging/")) << key.toStdString();

    QMemoryMainWindow again("logging");
    again.resize(200, 100);
    again.show();
    EXPECT_EQ(again.size(), QSize(520, 310));
    EXPECT_EQ(again.pos(), QPoint(40, 60));
    EXPECT_FALSE(again.isMaximized());
}

TEST_F(MemoryWindow, MaximisedWindowDropsPosAndSizeAndComesBackMaximised) {
    {
        QMemoryMainWindow w("kelvincalculator");
        w.resize(400, 300);
        w.show();
        w.showMaximized();
        ASSERT_TRUE(w.isMaximized());
        w.close();
    }
    EXPECT_TRUE(stored("kelvincalculator/maximized").toBool());
    EXPECT_FALSE(QSettings().contains("kelvincalculator/pos"));
    EXPECT_FALSE(QSettings().contains("kelvincalculator/size"));
    EXPECT_FALSE(stored("kelvincalculator/geometry").toByteArray().isEmpty());

    QMemoryMainWindow again("kelvincalculator");
    again.show();
    EXPECT_TRUE(again.isMaximized());

    // Back to normal: the next save writes pos and size again.
    again.showNormal();
    again.hide();
    EXPECT_FALSE(stored("kelvincalculator/maximized").toBool());
    EXPECT_TRUE(QSettings().contains("kelvincalculator/size"));
}

TEST_F(MemoryWindow, ReopenedWithinOneRunComesBackWhereItWas) {
    QMemoryMainWindow w("testpanel");
    w.show();
    w.resize(333, 222);
    w.close();
    w.resize(100, 100); // a change while hidden is not kept
    w.show();
    EXPECT_EQ(w.size(), QSize(333, 222));
}

TEST_F(MemoryWindow, DestroyingAVisibleWindowSavesIt) {
    auto w = std::make_unique<QMemoryMainWindow>("blackcal");
    w->show();
    w->resize(480, 270);
    w.reset();
    EXPECT_EQ(stored("blackcal/size").toSize(), QSize(480, 270));
}

TEST_F(MemoryWindow, AWindowNeverShownKeepsWhatWasStored) {
    QSettings().setValue("calselect/size", QSize(700, 500));
    { QMemoryMainWindow w("calselect"); }
    EXPECT_EQ(stored("calselect/size").toSize(), QSize(700, 500));
    EXPECT_EQ(storedKeys(), QStringList{"calselect/size"});
}

TEST_F(MemoryWindow, IconFlagAndGroup) {
    QMemoryMainWindow w("mainwindow", nullptr, 7);
    EXPECT_EQ(w.flag(), 7);
    EXPECT_EQ(w.groupName(), "mainwindow");
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_TRUE(w.windowIcon().availableSizes().contains(QSize(32, 32)));
}

} // namespace
