// Font fitting of the self-sizing label and readout: the size chosen, the
// debounce with its blank interim, text arriving while a fit waits, a new
// template, and a layout that must settle.
#include "fontfit.h"
#include "qlabelresize.h"
#include "qlineeditresize.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

bool fits(const QFont &base, int pixelSize, const QString &text, const QRect &r) {
    QFont f = base;
    f.setPixelSize(pixelSize);
    const QRect box = QFontMetrics(f).boundingRect(text);
    return box.width() < r.width() - 10 && box.height() < r.height();
}

template <typename W> bool waitForFit(W &w) {
    QElapsedTimer clock;
    clock.start();
    while (w.isFitPending() && clock.elapsed() < 1000)
        QTest::qWait(5);
    return !w.isFitPending();
}

TEST(FontFit, ChoosesTheLargestSizeThatFitsAndNeverBelowTheMinimum) {
    const QFont font = QApplication::font();
    for (const QRect &box : {QRect(0, 0, 400, 60), QRect(0, 0, 90, 60)}) {
        const int size = fittingPixelSize(font, "333333", box, 1);
        EXPECT_LE(size, 59); // int(60 - 0.6)
        EXPECT_TRUE(fits(font, size, "333333", box));
        EXPECT_TRUE(size == 59 || !fits(font, size + 1, "333333", box)) << box.width();
    }
    EXPECT_EQ(fittingPixelSize(font, "333333", QRect(0, 0, 12, 5), 9), 9);
}

TEST(FontFit, LabelBlanksWhileResizingAndShowsTheLatestTextAfterTheFit) {
    QLabelResize label;
    label.setText("123.4");
    label.resize(300, 80);
    label.show();
    ASSERT_TRUE(waitForFit(label));
    const int big = label.font().pixelSize();

    label.resize(200, 50);
    EXPECT_EQ(label.font().pixelSize(), 1);
    EXPECT_TRUE(label.QLabel::text().isEmpty()); // put aside so a layout can shrink it
    label.setText("98.7");
    EXPECT_TRUE(label.QLabel::text().isEmpty());
    ASSERT_TRUE(waitForFit(label));
    EXPECT_EQ(label.QLabel::text(), "98.7");
    const int fitted = label.font().pixelSize();
    EXPECT_LT(fitted, big);
    EXPECT_GE(fitted, applicationFontPixelSize());
    label.setWidthTemplate("3333333333333"); // refits at once
    EXPECT_LT(label.font().pixelSize(), fitted);
}

TEST(FontFit, FittingInALayoutSettles) {
    // A fitted font must not change the layout, or each fit would resize the
    // widgets and start the next one for ever.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabelResize;
    auto *field = new QLineEditResize;
    label->setText("Y");
    field->setText("123.4");
    layout->addWidget(label);
    layout->addWidget(field);
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(waitForFit(*label));
    ASSERT_TRUE(waitForFit(*field));
    QTest::qWait(150); // ms: several debounce periods
    EXPECT_FALSE(label->isFitPending());
    EXPECT_FALSE(field->isFitPending());
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->QLineEdit::text(), "123.4");
    EXPECT_GT(field->font().pixelSize(), applicationFontPixelSize());
}

} // namespace
