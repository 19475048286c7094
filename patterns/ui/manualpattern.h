#pragma once
// The operator as a pattern generator: each colour is asked for in a modal
// box, and the run waits until the operator confirms it is shown. Always
// available; every other pattern request is silently not shown.

#include "genfactory.h"
#include "genpattern.h"

class ManualPattern : public GenPattern {
    Q_OBJECT
public:
    explicit ManualPattern(QObject *parent = nullptr) : GenPattern(parent) {}

    QString portName() override { return QStringLiteral("Manual_Pattern"); }
    DeviceType deviceType() override { return PatternGenerator; }
    bool isConnected() override { return m_open; }
    void close() override { m_open = false; }
    bool open(const QString &port) override;
    void updateInfo() override;

    // Modal: call on the GUI thread.
    void setColor(const QColor &color) override;
    void setPattern(int) override {}
    void setMaxColor(int) override {}
    void sendImage(const QImage &) override {}
    void setBoxSize(const QRect &) override {}
    void setCheckerBoardPattern(int, int) override {}
    void showProgress(int, int, int, const QList<QColor> &) override {}

private:
    bool m_open = false;
};

class ManualPatternFactory : public GenFactory {
    Q_OBJECT
public:
    explicit ManualPatternFactory(QObject *parent = nullptr) : GenFactory(parent) {}

    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return PatternGenerator; }
    int connectionKind() override { return NoConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::manualPattern); }
    int roles() override { return RolePattern; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
