#pragma once
// A frameless full-screen window on one of the computer's screens that shows
// the test pattern: a colour patch, grey-step cells, colour bars, a checker
// board, edge markers or an image, and during a sequence a thin progress
// strip along its top. A click sends it behind the other windows.

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QWidget>

class QGraphicsScene;
class QGraphicsView;
class QGridLayout;
class QLabel;

class PCPatternGen : public QWidget {
    Q_OBJECT
public:
    // Pattern numbers.
    enum Pattern {
        BlackWindow = 0,
        DarkCells = 1,   // grey levels 0 to 31
        BrightCells = 2, // grey levels 255 down to 224
        ColorPatch = 3,
        ColorBars = 4,
        ShowImage = 5,
        CheckerBoard = 6,
        EdgeMarkers = 7
    };
    static constexpr int cellCount = 32;
    static constexpr int cellColumns = 8;
    static constexpr int barCount = 7;

    PCPatternGen();
    ~PCPatternGen() override;

    // Only a valid index into the screen list moves the window.
    bool setScreen(int index);
    int screenIndex() const { return m_screen; }
    int pattern() const { return m_pattern; }

    void setPattern(int pattern);
    void setColor(const QColor &color);
    void setMaxColor(int max) { m_maxColor = max; }
    void setBoxSize(const QRect &box);
    void setCheckerBoardPattern(int columns, int rows);
    void sendImage(const QImage &image);
    void showProgress(int totalMs, int elapsedMs, int patchIndex, const QList<QColor> &patches);

    QWidget *patch() const { return m_patch; }
    const QList<QWidget *> &cells() const { return m_cells; }

signals:
    void infoChanged();

public slots:
    void screenResized(QRect r);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void hideAll();
    void showCells(bool bright);
    void showBars();
    void showPixmap(const QImage &image);
    void clearStrip();

    QWidget *m_patch;
    QGridLayout *m_layout;
    QList<QWidget *> m_cells;
    QList<QLabel *> m_cellLabels;
    QList<QWidget *> m_bars;
    QList<QWidget *> m_strip;
    QWidget *m_overallBar;
    QWidget *m_patchBar;
    QLabel *m_overallLabel;
    QLabel *m_patchLabel;
    QImage m_image;
    QGraphicsScene *m_scene;
    QGraphicsView *m_view;
    int m_checkerColumns = 5;
    int m_checkerRows = 5;
    int m_maxColor = 255;
    int m_pattern = ColorPatch;
    int m_screen = 0;
    QMetaObject::Connection m_screenWatch;
};
