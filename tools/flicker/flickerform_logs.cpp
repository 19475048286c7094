// The flicker tool's logs and "Save Flicker".
#include "flickerform.h"
#include "ui_flickerform.h"

#include "atomicsave.h"
#include "dialogs.h"
#include "fftflashlog.h"
#include "flickerlogfile.h"

#include <cmath>

namespace {

struct LogTexts {
    const char *dialogTitle;
    const char *openTitle; // the file cannot be written when the log starts
    const char *failTitle; // the journal refuses a line while logging
    const char *failText;
};

const LogTexts logTexts[flickerLogKindCount] = {
    {"Log Peaks", "Flicker Save", "Peak Flicker Log",
     "The file could not be open to save the peak flicker. Stopping the logging."},
    {"Log Flashes", "Flicker Save", "Flash Log",
     "The file could not be open to save the flash. Stopping the logging."},
    {"Log Signal vs Time", "Flicker Signal Log", "Peak Flicker Log",
     "The file could not be open to save the peak flicker. Stopping the logging."},
};

const LogTexts &texts(FlickerLogKind kind) {
    return logTexts[static_cast<int>(kind)];
}

constexpr double maxSampleRate = 384;      // samples/s of the faster firmware
constexpr double maxRecordRate = 384 / 32; // records/s
constexpr qint64 recordSlack = 2048 + 16;  // a first record's samples and the summary

} // namespace

QAction *FlickerForm::logAction(FlickerLogKind kind) const {
    switch (kind) {
    case FlickerLogKind::Peaks:
        return ui->actionLog_Flicker_Peaks;
    case FlickerLogKind::Flashes:
        return ui->actionSave_Flashes;
    case FlickerLogKind::Signal:
        return ui->actionSave_Signal_vs_Time;
    }
    return nullptr;
}

void FlickerForm::on_actionSave_Flashes_triggered() {
    if (ui->actionSave_Flashes->isChecked())
        askForLog(FlickerLogKind::Flashes);
    else
        stopLog(FlickerLogKind::Flashes);
}

void FlickerForm::on_actionLog_Flicker_Peaks_triggered() {
    if (ui->actionLog_Flicker_Peaks->isChecked())
        askForLog(FlickerLogKind::Peaks);
    else
        stopLog(FlickerLogKind::Peaks);
}

void FlickerForm::on_actionSave_Signal_vs_Time_triggered() {
    if (ui->actionSave_Signal_vs_Time->isChecked())
        askForLog(FlickerLogKind::Signal);
    else
        stopLog(FlickerLogKind::Signal);
}

bool FlickerForm::askForLog(FlickerLogKind kind) {
    FFTFlashLog dialog(kind == FlickerLogKind::Flashes, this);
    dialog.setWindowTitle(QString::fromLatin1(texts(kind).dialogTitle));
    const bool ok = dialog.exec() == QDialog::Accepted &&
                    startLog(kind, dialog.path(), dialog.minutes(), dialog.threshold());
    logAction(kind)->setChecked(log(kind).armed);
    return ok;
}

bool FlickerForm::startLog(FlickerLogKind kind, const QString &path, double minutes,
                           double threshold) {
    Log &l = log(kind);
    if (path.isEmpty() || l.running)
        return false;
    for (int k = 0; k < flickerLogKindCount; ++k) {
        const Log &other = m_logs[k];
        if (k != static_cast<int>(kind) && (other.armed || other.running) && other.path == path) {
            dialogs().warning(this, QStringLiteral("Duplicate File Name"),
                              QStringLiteral("This file name is already used for another log"));
            logAction(kind)->setChecked(false);
            return false;
        }
    }
    if (kind == FlickerLogKind::Flashes &&
        (log(FlickerLogKind::Peaks).running || log(FlickerLogKind::Signal).running)) {
        if (dialogs().question(this, QStringLiteral("Flash Log"),
                               QStringLiteral("Other logs are running.\nThis will stop them. Would "
                                              "you like to proceed?"),
                               QMessageBox::Yes | QMessageBox::Cancel) != QMessageBox::Yes) {
            logAction(kind)->setChecked(false);
            return false;
        }
        stopLog(FlickerLogKind::Peaks);
        stopLog(FlickerLogKind::Signal);
    }
    l.path = path;
    l.minutes = std::max(0.0, minutes);
    l.armed = true;
    if (kind == FlickerLogKind::Flashes)
        m_detector.setThreshold(threshold);
    if (m_flickering && !openLog(kind))
        return false;
    logAction(kind)->setChecked(true);
    return true;
}

bool FlickerForm::openLog(FlickerLogKind kind) {
    Log &l = log(kind);
    const QDateTime start = nowDateTime();
    QByteArrayList header;
    switch (kind) {
    case FlickerLogKind::Peaks:
        header = peakLogHeader();
        break;
    case FlickerLogKind::Flashes:
        header = flashLogHeader();
        break;
    case FlickerLogKind::Signal:
        header = signalLogHeader(start);
        break;
    }
    const QString title = QString::fromLatin1(texts(kind).openTitle);
    auto refuse = [&](const QString &text) {
        l.armed = false;
        logAction(kind)->setChecked(false);
        dialogs().warning(this, title, text);
        return false;
    };
    // The file gets its header now, so a place that cannot be written is
    // found before the log runs.
    if (saveAtomically(l.path, header.join('\n') + '\n') != SaveResult::Saved)
        return refuse(QStringLiteral("The file you have selected couldn't be open."));
    l.file.setFileName(l.path);
    if (!l.file.open(QIODevice::WriteOnly | QIODevice::Append))
        return refuse(QStringLiteral("The file you have selected couldn't be open."));
    QList<JournalNote> notes = flickerJournalNotes(kind, l.path, header);
    if (kind == FlickerLogKind::Flashes)
        notes.append({QStringLiteral("threshold"), QString::number(m_detector.threshold()), 0});
    if (!l.journal.create(flickerJournalKind(kind), notes))
        return refuse(QStringLiteral("The log's safety copy could not be written in %1 (is the "
                                     "disk full?).")
                          .arg(LogJournal::directory()));
    if (l.minutes > 0) {
        l.endMs = now() + qint64(l.minutes * 60000);
        const double seconds = l.minutes * 60 + settleMs / 1000.0;
        const double perSecond = kind == FlickerLogKind::Peaks ? maxRecordRate : maxSampleRate;
        l.journal.setMaxRecords(qint64(std::ceil(seconds * perSecond)) + recordSlack);
    } else {
        l.endMs = -1;
        l.journal.setMaxRecords(-1);
    }
    if (kind == FlickerLogKind::Flashes) {
        const double threshold = m_detector.threshold();
        m_detector.reset();
        m_detector.setThreshold(threshold);
        showFlashStats();
    }
    l.lastSignalTime = -1e300;
    l.running = true;
    updateSettingsEnabled();
    return true;
}

void FlickerForm::stopLog(FlickerLogKind kind) {
    Log &l = log(kind);
    if (l.running)
        closeLog(kind);
    l.armed = false;
    logAction(kind)->setChecked(false);
}

void FlickerForm::closeLog(FlickerLogKind kind) {
    Log &l = log(kind);
    l.running = false;
    l.file.close();
    if (kind == FlickerLogKind::Flashes) {
        for (const QByteArray &line : flashLogSummary(m_detector.positive(), m_detector.negative()))
            l.journal.append(line);
        l.journal.note(QString::fromLatin1(flashSummaryNote), QStringLiteral("1"));
    }
    l.journal.sync();
    if (writeFlickerLog(l.journal.path(), l.path) == SaveResult::Saved) {
        l.journal.discard();
    } else {
        // Kept for recovery at the next start.
        l.journal.release();
        dialogs().warning(this, QString::fromLatin1(texts(kind).openTitle),
                          QStringLiteral("The file you have selected couldn't be open."));
    }
    updateSettingsEnabled();
}

void FlickerForm::appendLog(FlickerLogKind kind, const QByteArrayList &lines) {
    Log &l = log(kind);
    // In the file as it comes, flushed, so the file holds the log so far at
    // any moment; the journal beside it is what a crash is recovered from.
    bool ok = true;
    for (const QByteArray &line : lines)
        ok = ok && l.journal.append(line) && l.file.write(line + '\n') == line.size() + 1;
    if (!ok || (!lines.isEmpty() && !l.file.flush())) {
        dialogs().warning(this, QString::fromLatin1(texts(kind).failTitle),
                          QString::fromLatin1(texts(kind).failText));
        stopLog(kind);
        return;
    }
    for (const QByteArray &line : lines)
        emit logLine(kind, line);
}

void FlickerForm::logRecord(const Flicker &f) {
    const qint64 t = now();
    for (int k = 0; k < flickerLogKindCount; ++k) {
        const auto kind = static_cast<FlickerLogKind>(k);
        if (log(kind).running && log(kind).endMs >= 0 && t >= log(kind).endMs)
            stopLog(kind);
    }
    if (log(FlickerLogKind::Peaks).running)
        appendLog(FlickerLogKind::Peaks, {peakLogLine(f, nowDateTime())});

    const QVector<Flash> flashes = m_detector.process(f);
    showFlashStats();
    if (log(FlickerLogKind::Flashes).running) {
        QByteArrayList lines;
        for (const Flash &flash : flashes)
            lines << flashLogLine(flash, f.errorCode);
        appendLog(FlickerLogKind::Flashes, lines);
    }

    Log &signal = log(FlickerLogKind::Signal);
    if (signal.running)
        appendLog(FlickerLogKind::Signal, signalLogLines(f, &signal.lastSignalTime));

    if (!m_pendingSave.isEmpty())
        saveFlicker(f);
}

void FlickerForm::on_actionSave_Next_Flicker_triggered() {
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Save Flicker"), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        m_pendingSave = path;
}

void FlickerForm::saveFlicker(const Flicker &f) {
    const QString path = m_pendingSave;
    m_pendingSave.clear();
    if (saveAtomically(path, saveFlickerText(f, nowDateTime())) != SaveResult::Saved)
        dialogs().warning(this, QStringLiteral("Flicker Save"),
                          QStringLiteral("The file you have selected couldn't be open."));
}
