#pragma once
// The busy spinner shared by the rescan button and the loading menu actions:
// 32 frames of 32 x 32 pixels, drawn once for the whole program, shown one
// after the other every 31 ms while the spinner runs.

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <QVector>

class BusySpinner : public QObject {
    Q_OBJECT
public:
    static constexpr int frameCount = 32;
    static constexpr int frameSize = 32;       // px
    static constexpr int frameIntervalMs = 31; // ms

    explicit BusySpinner(QObject *parent = nullptr);

    static const QVector<QImage> &frames();

    void start();
    void stop();
    bool isSpinning() const { return m_timer.isActive(); }
    int currentFrame() const { return m_frame; }

public slots:
    // Shows the next frame (modulo the frame count).
    void advance();

signals:
    // The icon to show now; an empty icon once stopped.
    void iconChanged(const QIcon &icon);

private:
    QTimer m_timer;
    int m_frame = 0;
};
