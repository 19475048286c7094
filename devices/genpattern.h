#pragma once
// A device that shows test colours on the display under test.

#include "gendevice.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>

class GenPattern : public GenDevice {
    Q_OBJECT
public:
    explicit GenPattern(QObject *parent = nullptr) : GenDevice(parent) {}
    ~GenPattern() override;

    // Pattern area in pixels, 0 until known.
    int height = 0;
    int width = 0;

    virtual void setPattern(int pattern) = 0;
    virtual void setColor(const QColor &color) = 0;
    virtual void setMaxColor(int max) = 0; // largest code value (255 for 8-bit)
    virtual void sendImage(const QImage &image) = 0;
    virtual void setBoxSize(const QRect &box) = 0;
    virtual void setCheckerBoardPattern(int columns, int rows) = 0;
    // Stabilising progress; only a generator that draws on our own screens
    // shows it.
    virtual void showProgress(int totalMs, int elapsedMs, int patchIndex,
                              const QList<QColor> &patches) = 0;
    // Why a command since the last call may not have been carried out
    // (refused, unanswered, the connection lost), and forgets it; empty when
    // every one was confirmed. A generator that cannot tell confirms all.
    virtual QString takeCommandProblem() { return QString(); }

signals:
    void infoChanged();
};
