#include "toolwindows.h"

#include "dialogs.h"
#include "displaycorrection.h"
#include "flickerform.h"
#include "flickerlogfile.h"
#include "genmeasure.h"
#include "journal.h"
#include "kelvincalculator.h"
#include "logging.h"
#include "prepostreport.h"
#include "qportmenu.h"
#include "spectralscan.h"
#include "testcolorbatch.h"
#include "testpanel.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTimer>

#include <cstdio>

ToolWindows::ToolWindows(QWidget *mainWindow, QPortMenu *colorimeterMenu)
    : QObject(mainWindow), m_main(mainWindow), m_menu(colorimeterMenu) {
    const QString autoLog = qEnvironmentVariable("TINTWELL_AUTOLOG");
    if (!autoLog.isEmpty())
        armAutoLog(autoLog);
}

Logging *ToolWindows::logging() {
    if (!m_logging)
        m_logging = new Logging(m_menu, m_main);
    return m_logging;
}

FlickerForm *ToolWindows::flicker() {
    if (!m_flicker)
        m_flicker = new FlickerForm(m_menu, m_main);
    return m_flicker;
}

KelvinCalculator *ToolWindows::kelvin() {
    if (!m_kelvin) {
        m_kelvin = new KelvinCalculator(m_main);
        connect(m_kelvin, &KelvinCalculator::hiddenModesChanged, this,
                &ToolWindows::hiddenModesChanged);
    }
    return m_kelvin;
}

TestPanel *ToolWindows::testPanel() {
    if (!m_testPanel)
        m_testPanel = new TestPanel(m_menu->device(), m_main);
    return m_testPanel;
}

TestColorBatch *ToolWindows::testColorBatch() {
    if (!m_batch)
        m_batch = new TestColorBatch(m_menu, m_main);
    return m_batch;
}

SpectralScan *ToolWindows::spectralScan() {
    if (!m_spectral)
        m_spectral = new SpectralScan(m_main);
    return m_spectral;
}

PrePostReport *ToolWindows::prePostReport() {
    if (!m_prePost)
        m_prePost = new PrePostReport(m_menu, m_main);
    return m_prePost;
}

DisplayCorrection *ToolWindows::displayCorrection() {
    if (!m_correction)
        m_correction = new DisplayCorrection(m_menu, m_main);
    return m_correction;
}

void ToolWindows::present(QMainWindow *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void ToolWindows::showLogging() {
    present(logging());
}
void ToolWindows::showFlicker() {
    present(flicker());
}
void ToolWindows::showKelvin() {
    present(kelvin());
}
void ToolWindows::showTestPanel() {
    present(testPanel());
}
void ToolWindows::showTestColorBatch() {
    present(testColorBatch());
}
void ToolWindows::showSpectralScan() {
    present(spectralScan());
}
void ToolWindows::showPrePostReport() {
    present(prePostReport());
}
void ToolWindows::showDisplayCorrection() {
    present(displayCorrection());
}

// ---- Recovery ----

void ToolWindows::recoverInterruptedLogs() {
    for (const QString &path : orphanJournals())
        offerRecovery(path);
}

namespace {

QString loggingQuestion(const JournalContents &c) {
    const qint64 start = c.value(QStringLiteral("start")).toLongLong();
    return QStringLiteral("Tintwell ended while the Logging Tool held a log that was not saved: "
                          "%1 rows started %2 with the %3 %4.\n\nYes recovers it into the "
                          "Logging Tool, No discards it, Cancel keeps it for the next start.")
        .arg(c.recordCount)
        .arg(QLocale::c().toString(QDateTime::fromMSecsSinceEpoch(start),
                                   QStringLiteral("MM/dd/yyyy hh:mm:ss")),
             c.value(QStringLiteral("model")), c.value(QStringLiteral("serial")));
}

QString flickerQuestion(const JournalContents &c) {
    return QStringLiteral("Tintwell ended while a flicker %1 log to %2 was running; %3 lines "
                          "were kept.\n\nYes writes them to a file, No discards them, Cancel "
                          "keeps them for the next start.")
        .arg(c.kind, c.value(QStringLiteral("target")))
        .arg(c.recordCount);
}

} // namespace

ToolWindows::Recovery ToolWindows::offerRecovery(const QString &journalPath) {
    JournalContents contents;
    if (readJournal(journalPath, &contents, false) != JournalRead::Ok)
        return Recovery::Unusable; // not ours to delete
    FlickerLogKind kind;
    const bool isLogging = contents.kind == QLatin1String("logging");
    if (!isLogging && !flickerLogKindOf(contents.kind, &kind))
        return Recovery::Unusable;
    const JournalNote *saved = contents.lastNote(QStringLiteral("saved"));
    if (contents.recordCount == 0 || (saved && saved->atRecord == contents.recordCount)) {
        // Nothing that is not already in a file.
        removeOrphanJournal(journalPath);
        return Recovery::Discarded;
    }
    const QMessageBox::StandardButton answer = dialogs().question(
        m_main, QStringLiteral("Recover Log"),
        isLogging ? loggingQuestion(contents) : flickerQuestion(contents),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No) {
        removeOrphanJournal(journalPath);
        return Recovery::Discarded;
    }
    if (answer != QMessageBox::Yes)
        return Recovery::Kept;
    return isLogging ? recoverLogging(journalPath)
                     : recoverFlicker(journalPath, contents.value(QStringLiteral("target")));
}

ToolWindows::Recovery ToolWindows::recoverLogging(const QString &journalPath) {
    Logging *window = logging();
    if (!window->recover(journalPath)) {
        dialogs().information(m_main, QStringLiteral("Recover Log"),
                              QStringLiteral("The Logging Tool already holds a log. Save or "
                                             "clear it; this one is offered again at the next "
                                             "start."));
        return Recovery::Kept;
    }
    present(window);
    window->saveLog();
    return Recovery::Recovered;
}

ToolWindows::Recovery ToolWindows::recoverFlicker(const QString &journalPath,
                                                  const QString &target) {
    const QString path = dialogs().getSaveFileName(m_main, QStringLiteral("Save CSV"), target,
                                                   QStringLiteral("CSV (*.CSV)"));
    if (path.isEmpty())
        return Recovery::Kept;
    if (writeFlickerLog(journalPath, path) != SaveResult::Saved) {
        dialogs().warning(m_main, QStringLiteral("Flicker Save"),
                          QStringLiteral("The file you have selected couldn't be open."));
        return Recovery::Kept;
    }
    removeOrphanJournal(journalPath);
    return Recovery::Recovered;
}

// ---- Unattended logs ----

namespace {

void printLine(const char *what, const QByteArray &line) {
    std::printf("autolog %s %s\n", what, line.constData());
    std::fflush(stdout);
}

} // namespace

void ToolWindows::armAutoLog(const QString &what) {
    auto *poll = new QTimer(this);
    poll->setInterval(100); // ms
    connect(poll, &QTimer::timeout, this, [this, poll, what] {
        if (!m_menu->currentDevice())
            return;
        poll->stop();
        if (what == QLatin1String("logging")) {
            Logging *window = logging();
            connect(window, &Logging::rowLogged, this,
                    [](const LogRow &row) { printLine("row", encodeLogRow(row)); });
            present(window);
            window->setSchedule(0, 4); // Fast for 10 minutes
            window->startLog();
            printLine("started", window->journalPath().toUtf8());
            return;
        }
        if (what.startsWith(QLatin1String("peaks:"))) {
            FlickerForm *window = flicker();
            connect(window, &FlickerForm::logLine, this,
                    [](FlickerLogKind kind, const QByteArray &line) {
                        if (kind == FlickerLogKind::Peaks)
                            printLine("peaks", line);
                    });
            present(window);
            window->startFlickering();
            const bool ok = window->startLog(FlickerLogKind::Peaks, what.mid(6), 0, 0.025);
            printLine(ok ? "started" : "failed",
                      window->logJournalPath(FlickerLogKind::Peaks).toUtf8());
        }
    });
    poll->start();
}
