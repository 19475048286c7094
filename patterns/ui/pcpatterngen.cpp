#include "pcpatterngen.h"

#include "patternimages.h"
#include "sequencetexts.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyleOption>
#include <QVBoxLayout>

namespace {

const char *const labelStyle = "QLabel {color: Gray; background-color: transparent;}";
constexpr int stripHeight = 20; // px

QString grey(int level) {
    return QStringLiteral("background-color: rgb(%1,%1,%1)").arg(level);
}

// Bar styles with the largest code value in place of %1: white, the
// primaries, then the secondaries.
const char *const barStyles[PCPatternGen::barCount] = {
    "background-color: rgb(%1,%1,%1)", "background-color: rgb(%1,0,0)",
    "background-color: rgb(0,%1,0)",   "background-color: rgb(0,0,%1)",
    "background-color: rgb(%1,%1,0)",  "background-color: rgb(0,%1,%1)",
    "background-color: rgb(%1,0,%1)",
};

} // namespace

PCPatternGen::PCPatternGen() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    m_patch = new QWidget(this);
    m_patch->setStyleSheet(QStringLiteral("background-color: 'white'"));
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    for (int i = 0; i < cellCount; ++i) {
        auto *cell = new QWidget(this);
        cell->setStyleSheet(QStringLiteral("background-color: blue"));
        auto *label = new QLabel(QStringLiteral("Something went wrong"), cell);
        label->setStyleSheet(QLatin1String(labelStyle));
        label->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        auto *inner = new QVBoxLayout(cell);
        inner->addWidget(label);
        cell->hide();
        m_cells.append(cell);
        m_cellLabels.append(label);
    }
    for (int i = 0; i < barCount; ++i) {
        auto *bar = new QWidget(this);
        bar->setStyleSheet(QStringLiteral("background-color: blue"));
        bar->hide();
        m_bars.append(bar);
    }
    auto makeBar = [this](int y) {
        auto *w = new QWidget(this);
        w->setStyleSheet(QStringLiteral("background-color: %1").arg(QStringLiteral("White")));
        w->setGeometry(0, y, 0, stripHeight);
        w->hide();
        return w;
    };
    m_overallBar = makeBar(stripHeight);
    m_patchBar = makeBar(2 * stripHeight);
    auto makeLabel = [this](int y) {
        auto *l = new QLabel(this);
        l->setStyleSheet(QLatin1String(labelStyle));
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(0, y, width(), stripHeight);
        l->hide();
        return l;
    };
    m_overallLabel = makeLabel(stripHeight);
    m_patchLabel = makeLabel(2 * stripHeight);
    m_scene = new QGraphicsScene(this);
    m_view = new QGraphicsView(m_scene, this);
    m_view->setFrameShape(QFrame::NoFrame);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->hide();

    setStyleSheet(QStringLiteral("background-color: white"));
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        move(g.topLeft());
        setFixedSize(g.size());
    }
    show();
}

PCPatternGen::~PCPatternGen() = default;

bool PCPatternGen::setScreen(int index) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (index < 0 || index >= screens.size())
        return false;
    m_screen = index;
    disconnect(m_screenWatch);
    m_screenWatch = connect(screens.at(index), &QScreen::availableGeometryChanged, this,
                            &PCPatternGen::screenResized);
    screenResized(screens.at(index)->availableGeometry());
    return true;
}

void PCPatternGen::screenResized(QRect r) {
    move(r.topLeft());
    setFixedSize(r.size());
    m_overallLabel->setGeometry(0, stripHeight, r.width(), stripHeight);
    m_patchLabel->setGeometry(0, 2 * stripHeight, r.width(), stripHeight);
    setPattern(m_pattern);
    emit infoChanged();
}

void PCPatternGen::hideAll() {
    for (QWidget *w : m_cells + m_bars) {
        w->hide();
        m_layout->removeWidget(w);
    }
    m_patch->hide();
    m_view->hide();
}

void PCPatternGen::showCells(bool bright) {
    for (int i = 0; i < cellCount; ++i) {
        const int level = bright ? 255 - i : i;
        m_cells[i]->setStyleSheet(grey(level));
        m_cellLabels[i]->setText(QString::number(level));
        m_layout->addWidget(m_cells[i], i / cellColumns, i % cellColumns);
        m_cells[i]->show();
    }
}

void PCPatternGen::showBars() {
    for (int i = 0; i < barCount; ++i)
        m_bars[i]->setStyleSheet(QString::fromLatin1(barStyles[i]).arg(m_maxColor));
    m_layout->addWidget(m_bars[0], 0, 0, 1, 3);
    for (int i = 1; i < barCount; ++i)
        m_layout->addWidget(m_bars[i], 1 + (i - 1) / 3, (i - 1) % 3);
    for (QWidget *bar : m_bars)
        bar->show();
}

void PCPatternGen::showPixmap(const QImage &image) {
    setStyleSheet(QStringLiteral("background-color: black"));
    hideAll();
    m_scene->clear();
    const QPixmap pixmap = QPixmap::fromImage(image);
    m_scene->setSceneRect(pixmap.rect());
    m_view->setFixedSize(pixmap.size());
    m_view->move((width() - pixmap.width()) / 2, (height() - pixmap.height()) / 2);
    m_scene->addPixmap(pixmap);
    m_view->show();
}

void PCPatternGen::setPattern(int pattern) {
    m_pattern = pattern;
    switch (pattern) {
    case ShowImage:
        showPixmap(m_image);
        break;
    case CheckerBoard:
        showPixmap(patternimages::checkerBoard(size(), m_checkerColumns, m_checkerRows));
        break;
    case EdgeMarkers:
        showPixmap(patternimages::edgeMarkers(size()));
        break;
    default:
        setStyleSheet(pattern == BrightCells ? QStringLiteral("background-color: white")
                                             : QStringLiteral("background-color: black"));
        hideAll();
        if (pattern == DarkCells || pattern == BrightCells)
            showCells(pattern == BrightCells);
        else if (pattern == ColorBars)
            showBars();
        else if (pattern != BlackWindow)
            m_patch->show();
        break;
    }
    repaint();
}

void PCPatternGen::setColor(const QColor &color) {
    m_patch->setStyleSheet(QStringLiteral("background-color: %1").arg(color.name()));
    repaint();
}

void PCPatternGen::setBoxSize(const QRect &box) {
    m_patch->setFixedSize(box.size());
    m_patch->setGeometry(box);
    repaint();
}

void PCPatternGen::setCheckerBoardPattern(int columns, int rows) {
    columns = qMax(1, columns);
    rows = qMax(1, rows);
    if (columns == 1 && rows == 1)
        columns = rows = 2; // one cell would be no board at all
    m_checkerColumns = columns;
    m_checkerRows = rows;
    if (m_pattern == CheckerBoard)
        setPattern(CheckerBoard);
}

void PCPatternGen::sendImage(const QImage &image) {
    m_image = image;
    if (m_pattern == ShowImage)
        setPattern(ShowImage);
}

void PCPatternGen::clearStrip() {
    qDeleteAll(m_strip);
    m_strip.clear();
    for (QWidget *w : {m_overallBar, m_patchBar, static_cast<QWidget *>(m_overallLabel),
                       static_cast<QWidget *>(m_patchLabel)})
        w->hide();
}

void PCPatternGen::showProgress(int totalMs, int elapsedMs, int patchIndex,
                                const QList<QColor> &patches) {
    if (totalMs == 0 || patches.isEmpty()) {
        clearStrip();
        return;
    }
    const int w = width() / patches.size();
    if (m_strip.isEmpty()) {
        for (QWidget *x : {m_overallBar, m_patchBar, static_cast<QWidget *>(m_overallLabel),
                           static_cast<QWidget *>(m_patchLabel)}) {
            x->show();
            x->raise();
        }
        for (int i = 0; i < patches.size(); ++i) {
            auto *s = new QWidget(this);
            s->setStyleSheet(QStringLiteral("background-color: %1").arg(patches.at(i).name()));
            s->setGeometry(i * w, 0, w, stripHeight);
            s->show();
            m_strip.append(s);
        }
    }
    const double f = double(elapsedMs) / totalMs;
    m_overallBar->resize(static_cast<int>(w * f + w * patchIndex), stripHeight);
    m_patchBar->resize(static_cast<int>(width() * f), stripHeight);
    m_overallLabel->setText(sequencetexts::patchCounter(patchIndex, patches.size()));
    m_patchLabel->setText(sequencetexts::stabilisingText((totalMs - elapsedMs) * 0.001));
    repaint();
}

void PCPatternGen::mousePressEvent(QMouseEvent *) {
    lower();
}

void PCPatternGen::paintEvent(QPaintEvent *) {
    // Plain QWidget subclasses paint their style-sheet background only on request.
    QStyleOption option;
    option.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &p, this);
}
