// Window geometry kept in the window's own settings group: a normal and a
// maximised round trip, saving on hide and destruction, never-shown windows.
#include "qmemorymainwindow.h"
#include "settingsfixture.h"

#include <memory>

namespace {

class MemoryWindow : public EmptySettings {
protected:
    static QVariant stored(const QString &key) { return QSettings().value(key); }
};

TEST_F(MemoryWindow, NormalWindowComesBackWhereItWasHidden) {
    {
        QMemoryMainWindow w("logging");
        w.show();
        w.resize(520, 310);
        w.move(40, 60);
        w.hide();
        EXPECT_EQ(stored("logging/size").toSize(), QSize(520, 310));
        w.resize(100, 100); // a change while hidden is not kept
        w.show();
        EXPECT_EQ(w.size(), QSize(520, 310));
    }
    QMemoryMainWindow again("logging");
    again.show();
    EXPECT_EQ(again.size(), QSize(520, 310));
    EXPECT_EQ(again.pos(), QPoint(40, 60));
}

TEST_F(MemoryWindow, MaximisedWindowDropsPosAndSizeAndComesBackMaximised) {
    {
        auto w = std::make_unique<QMemoryMainWindow>("kelvincalculator");
        w->show();
        w->showMaximized();
        ASSERT_TRUE(w->isMaximized());
    } // destroyed while shown: saved
    EXPECT_TRUE(stored("kelvincalculator/maximized").toBool());
    EXPECT_FALSE(QSettings().contains("kelvincalculator/pos"));
    QMemoryMainWindow again("kelvincalculator");
    again.show();
    EXPECT_TRUE(again.isMaximized());
}

TEST_F(MemoryWindow, AWindowNeverShownKeepsWhatWasStored) {
    QSettings().setValue("calselect/size", QSize(700, 500));
    { QMemoryMainWindow w("calselect"); }
    EXPECT_EQ(storedKeys(), QStringList{"calselect/size"});
    EXPECT_EQ(stored("calselect/size").toSize(), QSize(700, 500));
}

} // namespace
