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
    // The bit depth of the code values it can show. Deeper patches go to a
    // generator of less depth as its nearest codes (patchdepth.h).
    virtual int codeBits() const { return 8; }
    // Shows code values of up to codeBits() bits, scaled by setMaxColor; an
    // 8-bit generator takes them as a colour.
    virtual void setCodes(int red, int green, int blue) {
        setColor(QColor(qBound(0, red, 255), qBound(0, green, 255), qBound(0, blue, 255)));
    }
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
