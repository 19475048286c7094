#pragma once
// Makes a colour-correction profile for the colorimeter against a reference
// instrument: White, Red, Green and Blue are measured by the reference and
// by the colorimeter on its factory profile, the profile is stored through
// SaveCal, and the colorimeter measures the four again through it to verify
// the result ("0.001 or 2%"), with a QC report in CSV. A thin window over
// ProfileRuns and the rules in profileverify/qcreport/storedreference.

#include "blackmatrix.h"
#include "measurement.h"
#include "profileruns.h"
#include "qcreport.h"
#include "qmemorymainwindow.h"
#include "qpatternmanger.h"
#include "storedreference.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QTimer>

class BlackCal;
class GenMeasure;
class QLabel;
class QLineEdit;
class QPortMenu;
class VerifyBlack;

namespace Ui {
class CreateCal;
}

class CreateCal : public QMemoryMainWindow {
    Q_OBJECT
public:
    // The two menus mirror the main window's (either may be null).
    CreateCal(QPortMenu *colorimeterLink, QPortMenu *referenceLink, QWidget *parent = nullptr);
    ~CreateCal() override;

    ProfileRuns *runs() const { return m_runs; }
    QPatternManger *patternManager() const;
    QPortMenu *referenceMenu() const { return m_refMenu; }
    QPortMenu *torvaMenu() const { return m_torvaMenu; }
    VerifyBlack *blackCheck() const { return m_black; }
    // The report as it stands (complete only after a verification run).
    profiles::QcReport qcReport();

signals:
    // A QC report was written (printing hooks in here).
    void qcReportSaved(const QString &path, const profiles::QcReport &report);
    void helpRequested();

public slots:
    void updateRefAge();
    void measureDone(const Measurement &m, QPatternManger::measureDevice tag, int index);
    void Aborted(QPatternManger::measureDevice tag);
    void finished(QPatternManger::measureDevice tag);
    void setButtons(bool running);
    void torvaConnected();
    void torvaClosed();
    void torvaCalFileChanged();
    void refConnected();
    void refClosed();
    void refCalFileChanged();
    void saveCalFile();

private slots:
    void on_pushRefMeasure_clicked();
    void on_pushTorvaMeasure_clicked();
    void on_pushSave_clicked();
    void on_pushQCSave_clicked();
    void on_pushGamut_clicked();
    void on_pushCalibrateBlack_clicked();
    void on_pushAimLightsOn_clicked();
    void on_pushAimLightsOff_clicked();
    void on_actionReturn_triggered();
    void on_actionOpen_Controls_triggered();
    void on_actionCheck_Black_triggered();
    void on_actionOpen_Help_File_triggered();
    void finishedCaliBlack();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setUpMenus(QPortMenu *colorimeterLink, QPortMenu *referenceLink);
    void setUpFields();
    void showList(int run);
    void showReferenceIdentity();
    void verified();
    void clearVerdict();
    void updateButtons();
    // The device's identity and profile (cleared when it is gone).
    void showDevice(GenMeasure *device, QLabel *model, QLabel *profile);

    Ui::CreateCal *ui;
    QPortMenu *m_refMenu = nullptr;
    QPortMenu *m_torvaMenu = nullptr;
    GenMeasure *m_ref = nullptr; // the menus' wrappers
    GenMeasure *m_torva = nullptr;
    ProfileRuns *m_runs = nullptr;
    VerifyBlack *m_black = nullptr;
    QPointer<BlackCal> m_blackWindow;      // "Check Black" from the Tools menu
    profiles::StoredReference m_reference; // identity and time of the reference in use
    QLineEdit *m_fields[3][4][3] = {};     // run, colour, x / y / Y
    QTimer m_ageTimer;
    QFutureWatcher<BlackMatrix> m_blackWatcher;
    bool m_running = false;
};
