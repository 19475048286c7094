// Font fitting of the self-sizing label and readout: the size chosen, the
// 25 ms debounce with its blank interim, and text arriving while a fit waits.
#include "fontfit.h"
#include "qlabelresize.h"
#include "qlineeditresize.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

bool fits(const QFont &base, int pixelSize, const QString &text, const QRect &r) {
    QFont f = base;
    f.setPixelSize(pixelSize);
    const QRect box = QFontMetrics(f).boundingRect(text);
    return box.width() < r.width() - 10 && box.height() < r.height();
}

// Waits for the pending fit, at most a second.
template <typename W> bool waitForFit(W &w) {
    QElapsedTimer clock;
    clock.start();
    while (w.isFitPending() && clock.elapsed() < 1000)
        QTest::qWait(5);
    return !w.isFitPending();
}

TEST(FontFit, ChoosesTheLargestSizeThatFitsTheTemplate) {
    const QFont font = QApplication::font();
    const QRect wide(0, 0, 400, 60);
    const int size = fittingPixelSize(font, "333333", wide, 1);
    EXPECT_LE(size, 59); // int(60 - 0.6)
    EXPECT_TRUE(fits(font, size, "333333", wide));
    if (size < 59) {
        EXPECT_FALSE(fits(font, size + 1, "333333", wide));
    }

    // A narrow box: the width decides, and a longer template gets a smaller size.
    const QRect narrow(0, 0, 90, 60);
    const int narrowSize = fittingPixelSize(font, "333333", narrow, 1);
    EXPECT_LT(narrowSize, size);
    EXPECT_TRUE(fits(font, narrowSize, "333333", narrow));
    EXPECT_FALSE(fits(font, narrowSize + 1, "333333", narrow));
    EXPECT_LT(fittingPixelSize(font, "333333333", narrow, 1), narrowSize);
}

TEST(FontFit, NeverBelowTheMinimum) {
    const QFont font = QApplication::font();
    EXPECT_EQ(fittingPixelSize(font, "333333", QRect(0, 0, 12, 5), 9), 9);
    EXPECT_EQ(fittingPixelSize(font, "333333", QRect(0, 0, 0, 0), 0), 1);
    EXPECT_GT(applicationFontPixelSize(), 0);
}

TEST(FontFit, LabelBlanksWhileResizingAndFitsAfterTheDebounce) {
    QLabelResize label;
    label.setText("123.4");
    label.resize(300, 80);
    label.show();
    ASSERT_TRUE(waitForFit(label));

    label.resize(200, 50);
    EXPECT_TRUE(label.isFitPending());
    EXPECT_EQ(label.font().pixelSize(), 1);
    EXPECT_TRUE(label.QLabel::text().isEmpty()); // put aside so a layout can shrink it

    // Text arriving meanwhile is kept and shown after the fit.
    label.setText("98.7");
    EXPECT_TRUE(label.QLabel::text().isEmpty());
    EXPECT_EQ(label.text(), "98.7");

    ASSERT_TRUE(waitForFit(label));
    EXPECT_EQ(label.QLabel::text(), "98.7");
    const int size = label.font().pixelSize();
    EXPECT_GE(size, applicationFontPixelSize());
    EXPECT_TRUE(fits(label.font(), size, "333333", label.contentsRect()) ||
                size == applicationFontPixelSize());
    EXPECT_FALSE(fits(label.font(), size + 1, "333333", label.contentsRect()) &&
                 size + 1 <= int(label.contentsRect().height() - 0.6));
}

TEST(FontFit, AFurtherResizeRestartsTheTimer) {
    QLabelResize label;
    label.resize(300, 80);
    label.show();
    ASSERT_TRUE(waitForFit(label));
    QTimer *timer = label.findChild<QTimer *>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 25);

    label.resize(280, 70);
    QTest::qWait(15);
    label.resize(260, 60);
    EXPECT_TRUE(label.isFitPending());
    EXPECT_GT(timer->remainingTime(), 15); // started again, not left to run out
}

TEST(FontFit, NewTemplateRefitsAtOnce) {
    QLabelResize label;
    label.resize(200, 60);
    label.show();
    ASSERT_TRUE(waitForFit(label));
    EXPECT_EQ(label.widthTemplate(), "333333");
    const int before = label.font().pixelSize();
    label.setWidthTemplate("3333333333333");
    EXPECT_FALSE(label.isFitPending());
    EXPECT_LT(label.font().pixelSize(), before);
}

TEST(FontFit, StyleChangeRefits) {
    QLabelResize label;
    label.resize(200, 60);
    label.show();
    ASSERT_TRUE(waitForFit(label));
    label.setStyleSheet("color: red;");
    EXPECT_TRUE(label.isFitPending());
    EXPECT_TRUE(waitForFit(label));
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
    EXPECT_EQ(label->QLabel::text(), "Y");
    EXPECT_EQ(field->QLineEdit::text(), "123.4");
    EXPECT_GT(field->font().pixelSize(), applicationFontPixelSize());
}

TEST(FontFit, ReadoutFieldFitsTheSameWay) {
    QLineEditResize field;
    EXPECT_TRUE(field.isReadOnly());
    field.setText("0.3127");
    field.resize(240, 70);
    field.show();
    ASSERT_TRUE(waitForFit(field));
    EXPECT_EQ(field.QLineEdit::text(), "0.3127");
    const int big = field.font().pixelSize();

    field.resize(120, 40);
    EXPECT_TRUE(field.isFitPending());
    EXPECT_TRUE(field.QLineEdit::text().isEmpty());
    field.setText("0.3290");
    ASSERT_TRUE(waitForFit(field));
    EXPECT_EQ(field.QLineEdit::text(), "0.3290");
    EXPECT_LT(field.font().pixelSize(), big);
}

} // namespace
