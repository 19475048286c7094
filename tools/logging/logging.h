#pragma once
// The logging tool: records the colorimeter's readings at a chosen sample
// rate for a chosen time, keeps minimum, maximum and average per quantity,
// and saves the log as CSV. Every row also goes to a journal as it is taken,
// so a crash or a power cut costs at most the last second of a log.

#include "journal.h"
#include "logdata.h"
#include "logschedule.h"
#include "measurement.h"
#include "qmemorymainwindow.h"

#include <QTimer>

#include <functional>

namespace Ui {
class Logging;
}

class GenMeasure;
class LogTableModel;
class QPortMenu;

class Logging : public QMemoryMainWindow {
    Q_OBJECT
public:
    // The window's colorimeter menu mirrors linkTo (the main window's), if given.
    explicit Logging(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr);
    ~Logging() override;

    GenMeasure *device() const { return m_device; }
    QPortMenu *colorimeterMenu() const { return m_menu; }
    const LogData &data() const { return m_data; }
    const LogClock &logClock() const { return m_clock; }
    QString timeRemainingText() const;
    QString journalPath() const { return m_journal.path(); }

    // Clock for tests (ms since the epoch).
    void setNow(std::function<qint64()> now) { m_now = std::move(now); }

    // Takes over a journal left by an ended run and shows its rows; false
    // when it holds no log.
    bool recover(const QString &journalPath);
    // Choices of the sliders, coupled as if the user moved them.
    void setSchedule(int sampleRateIndex, int logTimeIndex);
    // Shows at once what the readings since the last refresh brought: the
    // newest reading, the rows and the statistics (the window does it at most
    // four times a second by itself).
    void showPending();
    void startLog() { on_pushStart_clicked(); }
    void saveLog() { on_pushSave_clicked(); }

signals:
    void rowLogged(const LogRow &row);

public slots:
    void measure(const Measurement &m);
    void updateTimeLeftLine(bool checkMeasuring);
    void updateTimeLeftLine();

private slots:
    void on_pushStart_clicked();
    void on_pushStop_clicked();
    void on_pushPause_clicked();
    void on_pushResume_clicked();
    void on_pushClear_clicked();
    void on_sliderSampleRate_valueChanged(int index);
    void on_sliderLogTime_valueChanged(int index);
    void on_pushSave_clicked();
    void on_pushClose_clicked();
    void on_actionSave_Log_As_triggered();
    void on_actionClose_Logger_triggered();
    void deviceConnected();
    void deviceClosed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    qint64 now() const { return m_now(); }
    void setUpTables();
    void setButtons();
    void finishLog();
    void appendRow(const LogRow &row);
    void applyFormat(const LogFormat &format);
    void refreshStatistics();
    void showReading(const Measurement &m);
    // Asks before data is dropped; true when the table is empty afterwards.
    bool clearWithConsent();
    void dropData();
    void journalFailed();

    Ui::Logging *ui;
    QPortMenu *m_menu = nullptr;
    GenMeasure *m_device = nullptr; // the menu's wrapper
    LogData m_data;
    LogTableModel *m_model = nullptr;
    LogClock m_clock;
    LogFormat m_format;
    LogJournal m_journal;
    bool m_journalWarned = false;
    Measurement m_latest; // the newest reading, not yet shown
    bool m_latestPending = false;
    QTimer m_viewTimer;
    QTimer m_timer;
    std::function<qint64()> m_now;
};
