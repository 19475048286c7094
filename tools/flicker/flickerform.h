#pragma once
// The flicker tool: runs flicker acquisitions on the colorimeter, shows each
// record as a signal or spectrum with its three peaks, counts flashes, and
// keeps three kinds of logs (peaks, flashes, signal against time). Every log
// line goes to a journal as it is taken; the log's file is written from the
// journal, atomically, when the log ends (or when a crashed log is
// recovered).

#include "flashdetector.h"
#include "flicker.h"
#include "flickerlogs.h"
#include "journal.h"
#include "qmemorymainwindow.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QFile>

#include <array>
#include <functional>
#include <memory>

namespace Ui {
class FlickerForm;
}

class GenMeasure;
class QAction;
class QActionGroup;
class QPortMenu;

class FlickerForm : public QMemoryMainWindow {
    Q_OBJECT
public:
    enum Unit { Signal, Nits, Percent, DB };
    static constexpr qint64 settleMs = 4000; // ms before records are logged

    explicit FlickerForm(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr);
    ~FlickerForm() override;

    GenMeasure *device() const { return m_device; }
    QPortMenu *colorimeterMenu() const { return m_menu; }
    Unit unit() const { return m_unit; }
    bool isFlickering() const { return m_flickering; }
    const Flicker &lastRecord() const { return m_record; }
    const FlashDetector &flashDetector() const { return m_detector; }
    bool isLogRunning(FlickerLogKind kind) const { return log(kind).running; }
    QString logPath(FlickerLogKind kind) const { return log(kind).path; }
    QString logJournalPath(FlickerLogKind kind) const { return log(kind).journal.path(); }

    // Clock for tests (ms since the epoch).
    void setNow(std::function<qint64()> now) { m_now = std::move(now); }

    // What the log dialog hands over: arms the log, and opens it at once
    // while flickering. False when refused (a path in use, a file that
    // cannot be written, or the user kept the other logs).
    bool startLog(FlickerLogKind kind, const QString &path, double minutes, double threshold);
    void stopLog(FlickerLogKind kind);
    void startFlickering();
    void stopFlickering();

signals:
    void closed();
    void logLine(FlickerLogKind kind, const QByteArray &line);

public slots:
    void on_flicker(const Flicker &f);
    void on_close();
    void on_open();

private slots:
    void on_pushFlicker_clicked();
    void on_radioDB_clicked();
    void on_radioSignal_clicked();
    void on_radioPercent_clicked();
    void on_radioNits_clicked();
    void on_comboPercentBox_currentIndexChanged(int index);
    void on_actionAutoRange_triggered();
    void on_actionRange_1_triggered();
    void on_actionRange_2_triggered();
    void on_actionRange_3_triggered();
    void on_actionRange_4_triggered();
    void on_actionRange_5_triggered();
    void on_actionRange_6_triggered();
    void on_actionAuto_Lock_Range_triggered();
    void on_actionSave_Next_Flicker_triggered();
    void on_actionSave_Flashes_triggered();
    void on_actionLog_Flicker_Peaks_triggered();
    void on_actionSave_Signal_vs_Time_triggered();
    void on_actionSamples_2048_triggered();
    void on_actionSamples_1024_triggered();
    void on_actionSamples_512_triggered();
    void on_actionSamples_256_triggered();
    void on_actionSamples_128_triggered();
    void on_actionSamples_64_triggered();
    void on_actionNormalized_triggered();
    void on_actionContrast_Method_triggered();
    void on_actionJEITA_Discount_Percent_triggered();
    void on_actionVESA_DB_triggered();
    void on_actionJEITA_triggered();
    void on_actionJEITA_Discount_DB_triggered();
    void on_actionRestore_Workspace_triggered();
    void on_actionReturn_to_MainWindow_triggered();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Log {
        QString path;
        qint64 endMs = -1; // -1: until flickering stops
        double minutes = 0;
        bool armed = false;
        bool running = false;
        double lastSignalTime = -1e300; // s
        LogJournal journal;
        // The user's file, each line appended and flushed as it is logged;
        // rewritten whole (with the flash summary) when the log stops.
        QFile file;
    };
    Log &log(FlickerLogKind kind) { return m_logs[static_cast<int>(kind)]; }
    const Log &log(FlickerLogKind kind) const { return m_logs[static_cast<int>(kind)]; }

    qint64 now() const { return m_now(); }
    QDateTime nowDateTime() const { return QDateTime::fromMSecsSinceEpoch(m_now()); }

    // flickerform.cpp: set-up, settings, display
    void setUpMenus();
    void syncMenusFromDevice();
    void setRange(int range);
    void setSamples(int samples);
    void setUnit(Unit unit);
    void setUpGraph();
    void showRecord(const Flicker &f);
    void showIndicators(uint32_t code);
    void showFlashStats();
    void maskSwatches();
    void updateSettingsEnabled();
    bool reportRecordError(const Flicker &f);

    // flickerform_logs.cpp: logs and saving
    bool askForLog(FlickerLogKind kind);
    bool openLog(FlickerLogKind kind);
    void closeLog(FlickerLogKind kind);
    void appendLog(FlickerLogKind kind, const QByteArrayList &lines);
    void logRecord(const Flicker &f);
    void saveFlicker(const Flicker &f);
    QAction *logAction(FlickerLogKind kind) const;

    Ui::FlickerForm *ui;
    QPortMenu *m_menu = nullptr;
    GenMeasure *m_device = nullptr; // the menu's wrapper
    QActionGroup *m_rangeGroup = nullptr;
    QActionGroup *m_resolutionGroup = nullptr;
    Flicker m_record;
    bool m_haveRecord = false;
    Unit m_unit = Percent;
    bool m_flickering = false;
    bool m_inErrorBox = false;
    qint64 m_settle = 0; // ms since the epoch
    FlashDetector m_detector;
    std::array<Log, flickerLogKindCount> m_logs;
    QString m_pendingSave;
    std::function<qint64()> m_now;
    double m_nitsScale = 0; // y maximum of the Nits view
};
