#pragma once
// A push button that shows a spinning busy icon while a scan runs.

#include <QImage>
#include <QPushButton>
#include <QTimer>
#include <QVector>

class QRescanButton : public QPushButton {
    Q_OBJECT
public:
    explicit QRescanButton(QWidget *parent = nullptr);

    static constexpr int frameCount = 32;
    static constexpr int frameSize = 32; // px
    static constexpr int frameIntervalMs = 31;

    // The spinner frames, drawn once for the whole program.
    static const QVector<QImage> &frames();

    void startSpinner();
    void stopSpinner();
    bool isSpinning() const { return m_timer.isActive(); }
    int currentFrame() const { return m_frame; }

public slots:
    void updateIcon();

private:
    QTimer m_timer;
    int m_frame = 0;
};
