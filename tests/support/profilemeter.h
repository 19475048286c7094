#pragma once
// A colorimeter with a profile list the test sets, recording the profile and
// black-level operations the windows ask for and answering with the results
// the test chose.

#include "genmeasure.h"

#include <QThread>

class ProfileMeter : public GenMeasure {
    Q_OBJECT
public:
    QStringList list;  // "slot: name" entries
    QStringList calls; // "select N", "save N NAME", "delete N", "start", "stop", "black"
    int current = 0;
    int saveResult = 0, deleteResult = 0;
    bool connected = true;
    bool measuring = false;
    BlackMatrix blackResult;
    QThread *callThread = nullptr; // where the last select, store or delete ran
    matrix color = matrix(3, 3), rgb = matrix(3, 3);

    explicit ProfileMeter(int slotCount = 12) {
        m_model = "TV-40";
        m_serialNumber = "TV40-7";
        list << "0: Factory Cal File";
        for (int s = 1; s < slotCount; ++s)
            list << QStringLiteral("%1: Blank").arg(s);
    }
    QString portName() override { return QStringLiteral("/dev/fake-clmtr"); }
    DeviceType deviceType() override { return TorvaDevice; }
    void close() override { connected = false; }
    bool open(const QString &) override { return connected = true; }
    void updateInfo() override {}
    bool isConnected() override { return connected; }
    bool isMeasuring() override { return measuring; }
    void startMeasuring() override {
        calls << "start";
        measuring = true;
    }
    void stopMeasuring() override {
        calls << "stop";
        measuring = false;
    }
    QStringList calFileList() override { return list; }
    int calFileIndex() override { return current; }
    QString calFileName() override { return list.value(current).section(": ", 1); }
    void setCalFile(int i) override {
        calls << QStringLiteral("select %1").arg(i);
        callThread = QThread::currentThread();
        if (i != current) {
            current = i;
            emit calfileChanged();
        }
    }
    int saveCalFile(int i, const QString &name, const double *, const double *) override {
        calls << QStringLiteral("save %1 %2").arg(i).arg(name);
        callThread = QThread::currentThread();
        if (saveResult == 0)
            list[i] = QStringLiteral("%1: %2").arg(i).arg(name);
        return saveResult;
    }
    int deleteCalFile(int i) override {
        calls << QStringLiteral("delete %1").arg(i);
        callThread = QThread::currentThread();
        if (deleteResult == 0)
            list[i] = QStringLiteral("%1: Blank").arg(i);
        return deleteResult;
    }
    matrix colorMatrix() override { return color; }
    matrix rgbMatrix() override { return rgb; }
    BlackMatrix calibrateBlack() override {
        calls << "black";
        return blackResult;
    }
    // A continuous reading, as the worker would deliver it.
    void deliver(double X, double Y, double Z, uint32_t error = 0) {
        Measurement m;
        m.bigX = X;
        m.bigY = Y;
        m.bigZ = Z;
        m.errorCode = error;
        emit measured(m);
    }
};
