#pragma once
// The panel tools embed to step the display under test through a list of
// colours: pick the pattern generator, patch size, stabilising time and
// averaging, show manual test patterns, and run a sequence. A thin shell:
// the run itself is PatternSequence, which the command line drives too.

#include "connectioninfo.h"
#include "measurement.h"
#include "metatypes.h"
#include "patchcheck.h"
#include "patchdepth.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

class GenDevice;
class GenMeasure;
class GenPattern;
class MeasuringCountdown;
class PatternSequence;
class PortManager;
class QColorWidget;

namespace Ui {
class QPatternManger;
}

class QPatternManger : public QWidget {
    Q_OBJECT
public:
    // Passed back in every result so one window can run several kinds of run.
    enum measureDevice { ReferenceRun = 0, TorvaRun = 1, VerifyRun = 2 };
    Q_ENUM(measureDevice)

    explicit QPatternManger(QWidget *parent = nullptr);
    ~QPatternManger() override;

    void setColors(const QList<QColor> &list);
    // Code values deeper than 8 bits (10-bit HDR patches); the swatches show
    // their nearest 8-bit colours, and a generator that cannot show their
    // depth gets its nearest codes (PatternSequence::setCodes).
    void setCodes(const QList<Codes> &codes, const CodeRange &range);
    QList<QColor> colors() const;
    void start(GenMeasure *device, measureDevice tag);
    // True when a run was stopped. The patch being measured is given up;
    // those measured before it have been reported already.
    bool abort();
    void selectColor(int index);
    void setMaxColor(int max);
    // Connects the first screen as the generator.
    void selectScreenGenerator();
    void setTab(int index);
    int currentIndex() const;
    GenPattern *generator() const;
    bool generatorConnected() const;
    bool isRunning() const;
    QRect patchRect() const { return m_patchRect; }
    // How the last run ended, in words ("Run finished: ...").
    QString runSummary() const { return m_summary; }
    PatternSequence *sequence() const { return m_sequence; }

signals:
    void Measured(const Measurement &result, QPatternManger::measureDevice tag, int index);
    void Aborted(QPatternManger::measureDevice tag);
    void finished(QPatternManger::measureDevice tag);
    void isRunning(bool running);
    void changedColor();
    void stopColor();
    void changedColorIndex(int index);
    // Every run ends with one, finished or not: what became of it.
    void runEnded(const QString &summary);

private slots:
    void on_comboGenerator_activated(int index);
    void on_pushRescan_clicked();
    void on_pushStop_clicked();
    void on_doubleStableTime_valueChanged(double seconds);
    void on_comboAverages_currentIndexChanged(int index);
    void on_comboPatchSize_activated(int index);
    void on_spinWindow_valueChanged(int percent);
    void on_tabWidget_currentChanged(int index);
    void on_pushColorPatch_clicked();
    void on_pushHorizontalBars_clicked();
    void on_pushVerticalBars_clicked();
    void on_pushCheckerBoard_clicked();
    void on_comboChecker_activated(int index);
    void on_pushAllColors_clicked();
    void on_pushBrightness_clicked();
    void on_pushContrast_clicked();
    void on_pushOverscan_clicked();
    void on_pushBrowseImage_clicked();
    void on_pushShowImage_clicked();
    void clickedColor(QWidget *swatch);
    void portClosed();
    void patternGenInfoChanged();
    void findingPorts();
    void foundPorts();
    void managerConnected(GenDevice *device);
    void managerFailed(const ConnectionInfo &info);

private:
    patchcheck::Answer askOperator(const patchcheck::Problem &problem);
    void showProgress(int elapsedMs, bool finished);
    void highlightSwatch(int index);
    void showSwatches(const QList<QColor> &list);
    void deselectGenerator();
    void refreshSizeTexts();
    void applyChecker(int layout);
    void applyTabPattern(int tab);
    // Runs a manual pattern request: only while idle and with a generator.
    bool manualPattern();
    void stepAside();
    void comeBack();
    void setControlsEnabled(bool on);

    Ui::QPatternManger *ui;
    PatternSequence *m_sequence;
    MeasuringCountdown *m_countdown;
    PortManager *m_ports;
    QPointer<GenPattern> m_generator;
    ConnectionInfo m_pending;
    bool m_listening = false;
    bool m_steppedAside = false; // the window hid itself from a patch on its screen
    QList<QColorWidget *> m_swatches;
    QRect m_patchRect;
    int m_measured = 0;     // patches reported in this run
    bool m_stopped = false; // the run was asked to stop
    QString m_summary;
};
