#pragma once
// The application's main window: connects the colorimeter through its port
// menu, shows every reading as readouts, on the chart and in the comparison
// table, reports measurement errors, saves single readings to CSV and holds
// the target settings.

#include "displaytarget.h"
#include "measurement.h"
#include "qmemorymainwindow.h"
#include "readouts.h"
#include "startup.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace Ui {
class MainWindow;
}

class ChromaGamutSpec;
struct ConnectionInfo;
class GenMeasure;
class HelpViewer;
class QAction;
class QCloseEvent;
class QLabel;
class QPortMenu;
class ScreenCal;
class ToolWindows;

class MainWindow : public QMemoryMainWindow, public DemoWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The colorimeter menu's wrapper: always the menu's current device.
    GenMeasure *device() const { return m_device; }
    QPortMenu *colorimeterMenu() const { return m_portMenu; }
    ToolWindows *tools() const { return m_tools; }
    // Reference, spectral and manual instruments, for the tools that compare
    // against one; the status bar names the one connected.
    QPortMenu *referenceMenu() const { return m_referenceMenu; }

    // What the window shows now, for tests and the demo.
    QString readoutText(int index) const; // 0..2: lineMeasure1..3
    QString temperatureText() const;
    QString duvText() const;
    QString caption(int index) const; // labelMeasure1..3
    QString statusText() const;       // the status bar's message
    bool hasMeasurement() const { return m_haveLast; }
    const Measurement &lastMeasurement() const { return m_last; }
    const DisplayTarget &target() const { return m_target; }

    // DemoWindow
    bool isDemoReady() const override;
    bool startDemoMeasuring() override;
    QString demoReadouts() const override;
    long demoReadingCount() const override { return m_readingCount; }

signals:
    void updateColor(const QColor &colour);

public slots:
    void openPort();
    void closePort();
    void calFileChanged();
    void on_measure(const Measurement &m);
    void foundPorts();
    void setTarget();
    void updateStatusBar();
    void updateSettings();
    void setButtons(bool lock);

private slots:
    void on_pushMeasure_clicked();
    void on_pushONAim_clicked();
    void on_pushOFFAim_clicked();
    void on_comboUnits_currentIndexChanged(int index);
    void on_comboChart_currentIndexChanged(int index);
    void on_actionExit_triggered();
    void on_actionDevices_Setup_triggered();
    void on_actionBlackBody_Curve_triggered();
    void on_actionFull_Scale_Lines_triggered();
    void on_actionRestore_Worksplace_triggered();
    void on_actionHelp_File_triggered();
    void on_actionAbout_triggered();
    void on_actionKelvin_Calculator_triggered();
    void on_actionTest_Panel_triggered();
    void on_actionLogging_Tool_triggered();
    void on_pushChangeProfile_clicked();
    void on_actionSelect_Cal_File_triggered();
    void on_actionView_Cal_Matrix_triggered();
    void on_actionBlack_Level_Calibration_triggered();
    void on_actionCreate_Cal_File_triggered();
    void on_actionTest_Color_Batch_triggered();
    void on_actionDisplay_Correction_triggered();
    void on_actionSpectral_Scan_triggered();
    void on_actionScreen_Calibration_triggered();
    void on_actionReports_triggered();
    void on_pushMeasureFlicker_clicked();
    void on_pushTestPanle_clicked();
    void scanStarted();
    void scanFinished();
    void connectionFailed(const ConnectionInfo &info);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setUpColorimeterMenu();
    void setUpReferenceMenu();
    void fitCompareTable();
    void showProfile();
    void applyDeviceSettings();
    // Device-needing widgets and actions.
    void enableForDevice(bool enabled);
    void lockWhileMeasuring(bool locked);
    void setChart(int chart);
    void showReading(const Measurement &m);
    void clearReadouts();
    void setStatus(const QString &message);
    void setWaitingText(const QString &text);
    bool pauseMeasuring();
    void resumeMeasuring(bool wasMeasuring);
    void saveMeasurement(const Measurement &m);
    bool isLuxProfile();
    ChartKind currentChart() const;
    QPointF chartWhite();

    Ui::MainWindow *ui;
    ChromaGamutSpec *m_spec;
    QPortMenu *m_portMenu = nullptr;
    GenMeasure *m_device = nullptr; // the menu's wrapper
    QPointer<ScreenCal> m_screenCal;

    Measurement m_last;
    bool m_haveLast = false;
    DisplayTarget m_target;
    TargetColour m_targetColour = TargetColour::White;
    bool m_wasMeasuring = false;
    bool m_inErrorBox = false;
    long m_readingCount = 0; // every record received, shown or not
    bool m_firstScanDone = false;
    QString m_profileName; // read on connection and profile change, not per reading

    QString m_waitingText;
    int m_tick = 0;
    QTimer m_statusTimer;

    QLabel *m_deviceLabel = nullptr; // the connected instrument, beside the status text
    QPortMenu *m_referenceMenu = nullptr;
    QLabel *m_referenceLabel = nullptr; // the connected reference instrument
    QPointer<HelpViewer> m_help;
    ToolWindows *m_tools = nullptr;
    QPointer<QMainWindow> m_calSelect, m_blackCal, m_createCal; // calibration windows
};
