#pragma once
// The main window's tool windows: created on first use and kept, each
// connected to the colorimeter the main window's menu holds. At start-up the
// logs of a run that ended without finishing are offered for recovery.

#include <QObject>
#include <QPointer>

class DisplayCorrection;
class FlickerForm;
class KelvinCalculator;
class Logging;
class PrePostReport;
class QMainWindow;
class QPortMenu;
class QWidget;
class SpectralScan;
class TestColorBatch;
class TestPanel;

class ToolWindows : public QObject {
    Q_OBJECT
public:
    ToolWindows(QWidget *mainWindow, QPortMenu *colorimeterMenu);

    Logging *logging();
    FlickerForm *flicker();
    KelvinCalculator *kelvin();
    TestPanel *testPanel();
    TestColorBatch *testColorBatch();
    SpectralScan *spectralScan();
    PrePostReport *prePostReport();
    DisplayCorrection *displayCorrection();
    // Shows the window, raised above the others.
    static void present(QMainWindow *window);
    void showLogging();
    void showFlicker();
    void showKelvin();
    void showTestPanel();
    void showTestColorBatch();
    void showSpectralScan();
    void showPrePostReport();
    void showDisplayCorrection();

    enum class Recovery { Recovered, Discarded, Kept, Unusable };
    // Asks about one journal left by an ended run.
    Recovery offerRecovery(const QString &journalPath);

signals:
    // Relayed from the Kelvin calculator.
    void hiddenModesChanged();

public slots:
    // Every journal left by an ended run, one question each.
    void recoverInterruptedLogs();

private:
    Recovery recoverLogging(const QString &journalPath);
    Recovery recoverFlicker(const QString &journalPath, const QString &target);
    // TINTWELL_AUTOLOG: start a log without clicks once the colorimeter is
    // connected, printing every logged line.
    void armAutoLog(const QString &what);

    QWidget *m_main;
    QPortMenu *m_menu;
    QPointer<Logging> m_logging;
    QPointer<FlickerForm> m_flicker;
    QPointer<KelvinCalculator> m_kelvin;
    QPointer<TestPanel> m_testPanel;
    QPointer<TestColorBatch> m_batch;
    QPointer<SpectralScan> m_spectral;
    QPointer<PrePostReport> m_prePost;
    QPointer<DisplayCorrection> m_correction;
};
