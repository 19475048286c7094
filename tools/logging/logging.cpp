#include "logging.h"
#include "ui_logging.h"

#include "appsettings.h"
#include "atomicsave.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "logtablemodel.h"
#include "qportmenu.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>

namespace {

constexpr int refreshMs = 200; // ms between time-remaining updates (it shows whole seconds)
// ms: the readouts, table and statistics follow the readings at most four
// times a second. Repainting them for each of 16 readings a second took most
// of the window's time, and nobody reads a table scrolling that fast.
constexpr int viewMs = 250;
constexpr int defaultSampleRate = 1; // "1 Second"
constexpr int defaultLogTime = 4;    // "10 Minutes"
const char *const journalKind = "logging";
// A recovered journal holding more rows than any log can is not a log.
constexpr qint64 maxRecoveredRows = maxLogSamples + 2;

QString sigFigText(double v, const LogFormat &f) {
    return QString::number(v, 'f', sigFigDecimals(v, f.sigFigs));
}

} // namespace

Logging::Logging(QPortMenu *linkTo, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("logging"), parent), ui(new Ui::Logging),
      m_now([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    ui->setupUi(this);
    m_model = new LogTableModel(&m_data, this);
    ui->tableLog->setModel(m_model);
    setUpTables();

    m_menu = QPortMenu::addColorimeterMenu(ui->menubar);
    m_device = m_menu->device();
    connect(m_device, &GenMeasure::measured, this, &Logging::measure);
    connect(m_device, &GenDevice::connected, this, &Logging::deviceConnected);
    connect(m_device, &GenDevice::closed, this, &Logging::deviceClosed);
    if (linkTo)
        m_menu->linkTo(linkTo);

    connect(&m_timer, &QTimer::timeout, this, [this] { updateTimeLeftLine(); });
    m_viewTimer.setSingleShot(true);
    m_viewTimer.setInterval(viewMs);
    connect(&m_viewTimer, &QTimer::timeout, this, &Logging::showPending);
    {
        const QSignalBlocker a(ui->sliderSampleRate), b(ui->sliderLogTime);
        ui->sliderSampleRate->setValue(defaultSampleRate);
        ui->sliderLogTime->setValue(defaultLogTime);
    }
    ui->labelSampleRate->setText(QStringLiteral("Sample Rate: ") +
                                 QLatin1String(sampleRate(defaultSampleRate).label));
    ui->labelLogTime->setText(QStringLiteral("Log Time: ") +
                              QLatin1String(logTime(defaultLogTime).label));
    m_clock.setInterval(sampleRate(defaultSampleRate).ms);
    applyFormat(LogFormat::current());
    setButtons();
}

Logging::~Logging() {
    // A log still held here stays in its journal: closing the application
    // without saving is recoverable at the next start.
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    delete ui;
}

void Logging::setUpTables() {
    QCopyTable *stats = ui->tableStatistics;
    stats->setColumnCount(logValueCount);
    stats->setRowCount(3);
    stats->setVerticalHeaderLabels(
        {QStringLiteral("Min"), QStringLiteral("Max"), QStringLiteral("Avg")});
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < logValueCount; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            stats->setItem(r, c, item);
        }
    }
    stats->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    stats->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = stats->verticalHeader()->defaultSectionSize();
    stats->setFixedHeight(stats->horizontalHeader()->sizeHint().height() + 3 * rowHeight +
                          2 * stats->frameWidth() +
                          stats->horizontalScrollBar()->sizeHint().height());
    ui->tableLog->verticalHeader()->setDefaultSectionSize(rowHeight);
    ui->tableLog->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->tableLog->horizontalHeader()->setDefaultSectionSize(92);
    const QString widest =
        logTimeText(QDateTime(QDate(2000, 12, 28), QTime(8, 58, 58, 888)).toMSecsSinceEpoch());
    ui->tableLog->setColumnWidth(0, ui->tableLog->fontMetrics().horizontalAdvance(widest) + 24);
}

QString Logging::timeRemainingText() const {
    return ui->labelTimeRemaining->text();
}

void Logging::setButtons() {
    const bool open = m_menu->currentDevice() != nullptr;
    const bool active = m_clock.isActive();
    const bool running = m_clock.isRunning();
    ui->pushStart->setEnabled(open && !active);
    ui->pushStop->setEnabled(active);
    ui->pushPause->setEnabled(running);
    ui->pushResume->setEnabled(active && !running);
    ui->pushClear->setEnabled(!active);
    ui->sliderSampleRate->setEnabled(!active);
    ui->sliderLogTime->setEnabled(!active);
}

void Logging::deviceConnected() {
    setButtons();
}

void Logging::deviceClosed() {
    // The timer finds the device no longer measuring and finishes the log.
    setButtons();
}

// ---- Sliders ----

void Logging::on_sliderLogTime_valueChanged(int index) {
    ui->labelLogTime->setText(QStringLiteral("Log Time: ") + QLatin1String(logTime(index).label));
    const int s = coupledSampleRate(index, ui->sliderSampleRate->value());
    if (s != ui->sliderSampleRate->value())
        ui->sliderSampleRate->setValue(s);
}

void Logging::on_sliderSampleRate_valueChanged(int index) {
    ui->labelSampleRate->setText(QStringLiteral("Sample Rate: ") +
                                 QLatin1String(sampleRate(index).label));
    m_clock.setInterval(sampleRate(index).ms);
    const int t = coupledLogTime(index, ui->sliderLogTime->value());
    if (t != ui->sliderLogTime->value())
        ui->sliderLogTime->setValue(t);
}

void Logging::setSchedule(int sampleRateIndex, int logTimeIndex) {
    ui->sliderLogTime->setValue(logTimeIndex);
    ui->sliderSampleRate->setValue(sampleRateIndex);
}

// ---- Running ----

void Logging::on_pushStart_clicked() {
    if (!m_menu->currentDevice() || m_clock.isActive())
        return;
    if (!m_data.rows.isEmpty() && !clearWithConsent())
        return;
    m_device->stopMeasuring();
    m_device->startMeasuring();

    const qint64 start = now();
    m_clock.start(start, sampleRate(ui->sliderSampleRate->value()).ms,
                  logTime(ui->sliderLogTime->value()).ms);
    m_data.meta = LogMeta{m_device->model(), m_device->serialNumber(), m_clock.intervalMs(),
                          m_clock.durationMs(), start};
    m_journalWarned = false;
    const QList<JournalNote> notes = {
        {QStringLiteral("model"), m_data.meta.model, 0},
        {QStringLiteral("serial"), m_data.meta.serialNumber, 0},
        {QStringLiteral("interval"), QString::number(m_data.meta.intervalMs), 0},
        {QStringLiteral("duration"), QString::number(m_data.meta.durationMs), 0},
        {QStringLiteral("start"), QString::number(start), 0}};
    if (m_journal.create(QLatin1String(journalKind), notes))
        m_journal.setMaxRecords(m_clock.maxRows());
    else
        journalFailed();

    ui->labelStartTime->setText(QLocale::c().toString(QDateTime::fromMSecsSinceEpoch(start),
                                                      QStringLiteral("MM/dd/yyyy hh:mm:ss.zzz")));
    m_timer.start(refreshMs);
    updateTimeLeftLine(false);
    setButtons();
}

void Logging::on_pushStop_clicked() {
    finishLog();
}

void Logging::on_pushPause_clicked() {
    m_clock.pause(now());
    updateTimeLeftLine(false);
    setButtons();
}

void Logging::on_pushResume_clicked() {
    m_clock.resume(now());
    updateTimeLeftLine(false);
    setButtons();
}

void Logging::updateTimeLeftLine() {
    updateTimeLeftLine(true);
}

void Logging::updateTimeLeftLine(bool checkMeasuring) {
    if (!m_clock.isActive())
        return;
    const qint64 left = m_clock.remaining(now());
    if (left <= 0 || (checkMeasuring && !m_device->isMeasuring())) {
        finishLog();
        return;
    }
    ui->labelTimeRemaining->setText(remainingText(left, m_clock.isRunning()));
}

void Logging::finishLog() {
    if (!m_clock.isActive())
        return;
    m_device->stopMeasuring();
    m_timer.stop();
    m_clock.finish();
    m_journal.note(QStringLiteral("finished"), QString::number(now()));
    m_journal.sync();
    showPending();
    ui->labelTimeRemaining->setText(QStringLiteral("Finished"));
    setButtons();
}

// ---- Readings ----

void Logging::measure(const Measurement &m) {
    if (m.errorCode & (ErrorBits::PortLost | ErrorBits::Timeout | ErrorBits::Internal)) {
        finishLog();
        return;
    }
    if (m.errorCode & ~(ErrorBits::NoDominantWavelength | ErrorBits::CctOutOfRange))
        return;
    const qint64 t = now();
    if (!m_clock.takeSample(t))
        return;
    const LogFormat format = LogFormat::current();
    if (format != m_format)
        applyFormat(format);
    m_latest = m;
    m_latestPending = true;
    // Nothing past the end: a reading can arrive before the timer notices.
    if (m_clock.isRunning() && m_clock.remaining(t) > 0)
        appendRow(logRowFrom(m, t));
    if (!m_viewTimer.isActive())
        m_viewTimer.start();
}

void Logging::showPending() {
    m_viewTimer.stop();
    if (m_latestPending) {
        m_latestPending = false;
        showReading(m_latest);
    }
    QScrollBar *bar = ui->tableLog->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    if (!m_model->publish())
        return;
    refreshStatistics();
    if (atEnd)
        ui->tableLog->scrollToBottom();
}

void Logging::showReading(const Measurement &m) {
    const double bigY = m_format.nits ? m.bigY : nitsToFootLamberts(m.bigY);
    ui->labelx->setText(sigFigText(m.x, m_format));
    ui->labely->setText(sigFigText(m.y, m_format));
    ui->labelY->setText(sigFigText(bigY, m_format) + QLatin1Char(' ') +
                        (m_format.nits ? QStringLiteral("nits") : QStringLiteral("fL")));
}

void Logging::appendRow(const LogRow &row) {
    m_model->append(row);
    if (m_journal.isOpen() && !m_journal.append(encodeLogRow(row)))
        journalFailed();
    emit rowLogged(row);
}

void Logging::journalFailed() {
    if (m_journalWarned)
        return;
    m_journalWarned = true;
    dialogs().warning(this, QStringLiteral("Logging"),
                      QStringLiteral("The log's safety copy could not be written in %1 (is the "
                                     "disk full?). The log goes on in this window only; save it "
                                     "before closing.")
                          .arg(LogJournal::directory()));
}

void Logging::applyFormat(const LogFormat &format) {
    m_format = format;
    m_model->setFormat(format);
    ui->tableStatistics->setHorizontalHeaderLabels(statisticsHeaders(format.nits));
    refreshStatistics();
}

void Logging::refreshStatistics() {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < logValueCount; ++c) {
            QTableWidgetItem *item = ui->tableStatistics->item(r, c);
            const QString text = statisticsText(m_data.statistics, r, c, m_format);
            if (item->text() != text)
                item->setText(text);
        }
    }
}

// ---- Clearing, saving, closing ----

bool Logging::clearWithConsent() {
    if (m_data.rows.isEmpty())
        return true;
    if (dialogs().question(this, QStringLiteral("Clear Data"),
                           QStringLiteral("Are you sure you want to Clear the data?")) ==
        QMessageBox::Yes)
        dropData();
    return m_data.rows.isEmpty();
}

void Logging::dropData() {
    m_viewTimer.stop();
    m_latestPending = false;
    m_data.clear();
    m_model->reload();
    refreshStatistics();
    m_journal.discard();
    ui->labelStartTime->clear();
    ui->labelTimeRemaining->clear();
}

void Logging::on_pushClear_clicked() {
    if (!m_clock.isActive())
        clearWithConsent();
}

void Logging::on_actionSave_Log_As_triggered() {
    on_pushSave_clicked();
}

void Logging::on_pushSave_clicked() {
    const QString title = QStringLiteral("Save Data");
    if (m_data.rows.isEmpty()) {
        dialogs().warning(this, title,
                          QStringLiteral("You must have data logged to save a log file."));
        return;
    }
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Save Logging"), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (saveAtomically(path, loggingCsv(m_data, m_format)) != SaveResult::Saved) {
        dialogs().warning(this, title,
                          QStringLiteral("The file you have selected couldn't be open."));
        return;
    }
    m_journal.note(QStringLiteral("saved"), path);
}

void Logging::on_pushClose_clicked() {
    close();
}

void Logging::on_actionClose_Logger_triggered() {
    close();
}

void Logging::closeEvent(QCloseEvent *event) {
    if (!m_data.rows.isEmpty() &&
        dialogs().question(this, QStringLiteral("Close"),
                           QStringLiteral("Are you sure you want to close this form with data?")) !=
            QMessageBox::Yes) {
        event->ignore();
        return;
    }
    finishLog();
    dropData();
    QMemoryMainWindow::closeEvent(event);
}

// ---- Recovery ----

bool Logging::recover(const QString &journalPath) {
    if (m_clock.isActive() || !m_data.rows.isEmpty())
        return false;
    JournalContents contents;
    if (readJournal(journalPath, &contents, true, maxRecoveredRows) != JournalRead::Ok ||
        contents.kind != QLatin1String(journalKind))
        return false;
    LogData recovered;
    recovered.meta.model = contents.value(QStringLiteral("model"));
    recovered.meta.serialNumber = contents.value(QStringLiteral("serial"));
    recovered.meta.intervalMs = contents.value(QStringLiteral("interval")).toLongLong();
    recovered.meta.durationMs = contents.value(QStringLiteral("duration")).toLongLong();
    recovered.meta.startMs = contents.value(QStringLiteral("start")).toLongLong();
    for (const QByteArray &record : contents.records) {
        LogRow row;
        if (decodeLogRow(record, &row))
            recovered.append(row);
    }
    if (recovered.rows.isEmpty() || !m_journal.adopt(journalPath))
        return false;
    m_data = recovered;
    m_model->reload();
    refreshStatistics();
    ui->labelStartTime->setText(
        QLocale::c().toString(QDateTime::fromMSecsSinceEpoch(m_data.meta.startMs),
                              QStringLiteral("MM/dd/yyyy hh:mm:ss.zzz")));
    ui->labelTimeRemaining->setText(QStringLiteral("Recovered"));
    setButtons();
    return true;
}
