#pragma once
// One of the computer's screens as a pattern generator: the device owns the
// full-screen window that shows the patterns there. Windows are made on the
// GUI thread only.

#include "genfactory.h"
#include "genpattern.h"

#include <memory>

class PCPatternGen;

class PCChroma : public GenPattern {
    Q_OBJECT
public:
    explicit PCChroma(QObject *parent = nullptr);
    ~PCChroma() override;

    QString portName() override { return QString::number(m_screen); }
    DeviceType deviceType() override { return PatternGenerator; }
    bool isConnected() override { return m_screen != -1; }
    void close() override;
    // The screen's index as decimal text; anything else, or a screen that is
    // not there, fails.
    bool open(const QString &port) override;
    void updateInfo() override;

    void setPattern(int pattern) override;
    void setColor(const QColor &color) override;
    void setMaxColor(int max) override;
    void sendImage(const QImage &image) override;
    void setBoxSize(const QRect &box) override;
    void setCheckerBoardPattern(int columns, int rows) override;
    void showProgress(int totalMs, int elapsedMs, int patchIndex,
                      const QList<QColor> &patches) override;

    PCPatternGen *window() const { return m_window.get(); }

public slots:
    void updatePatternGenInfo();

private:
    std::unique_ptr<PCPatternGen> m_window;
    int m_screen = -1;
};

class PCChromaFactory : public GenFactory {
    Q_OBJECT
public:
    explicit PCChromaFactory(QObject *parent = nullptr) : GenFactory(parent) {}

    // Made on the GUI thread whichever thread asks.
    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return PatternGenerator; }
    int connectionKind() override { return NoConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::pcPattern); }
    int roles() override { return RolePattern; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
