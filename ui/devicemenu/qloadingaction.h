#pragma once
// A menu action that can show a spinning busy icon. The spinner's frames are
// drawn once for the whole program.

#include <QAction>
#include <QImage>
#include <QTimer>
#include <QVector>

class QLoadingAction : public QAction {
    Q_OBJECT
public:
    explicit QLoadingAction(const QString &text, QObject *parent = nullptr);

    static constexpr int frameCount = 32;
    static constexpr int frameSize = 32;       // px
    static constexpr int frameIntervalMs = 31; // ms

    static const QVector<QImage> &frames();

    bool isLoading() const { return m_timer.isActive(); }
    int currentFrame() const { return m_frame; }

public slots:
    void start();
    void stop();

private slots:
    void nextFrame();

private:
    QTimer m_timer;
    int m_frame = 0;
};
