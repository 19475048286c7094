#include "createcal.h"

#include "appsettings.h"
#include "blackcal.h"
#include "chromagamutspec.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "profilecheck.h"
#include "profilerules.h"
#include "profileverify.h"
#include "qportmenu.h"
#include "savecal.h"
#include "ui_createcal.h"
#include "verifyblack.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtConcurrent>

namespace {

const char *const savingTitle = "Saving Cal File";
constexpr int ageIntervalMs = 60000; // ms

QString idText(GenMeasure *d) {
    return QStringLiteral("%1 %2").arg(d->model().trimmed(), d->serialNumber());
}

} // namespace

CreateCal::CreateCal(QPortMenu *colorimeterLink, QPortMenu *referenceLink, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("createcal"), parent), ui(new Ui::CreateCal) {
    ui->setupUi(this);
    ui->actionOpen_Controls->setText(QStringLiteral("Hide Controls"));
    setUpFields();
    ui->patternManager->setColors(ProfileRuns::patchColors());
    m_runs = new ProfileRuns(ui->patternManager->sequence(), this);
    connect(m_runs, &ProfileRuns::measured, this, [this](int run, int index, const Measurement &m) {
        measureDone(m, static_cast<QPatternManger::measureDevice>(run), index);
    });
    connect(m_runs, &ProfileRuns::runFinished, this,
            [this](int run) { finished(static_cast<QPatternManger::measureDevice>(run)); });
    connect(m_runs, &ProfileRuns::runAborted, this,
            [this](int run) { Aborted(static_cast<QPatternManger::measureDevice>(run)); });
    connect(ui->patternManager->sequence(), &PatternSequence::isRunningChanged, this,
            &CreateCal::setButtons);
    setUpMenus(colorimeterLink, referenceLink);
    m_black = new VerifyBlack(m_torva, ui->pushVerifyBlack, ui->progressBlack, ui->lineBlackX,
                              ui->lineBlackY, ui->lineBlackZ, this);
    m_black->setVerdictLabel(ui->labelBlackVerdict);
    connect(ui->patternManager, &QPatternManger::runEnded, this,
            [this](const QString &summary) { statusBar()->showMessage(summary); });
    connect(&m_blackWatcher, &QFutureWatcher<BlackMatrix>::finished, this,
            &CreateCal::finishedCaliBlack);

    ui->comboSaveName->addItems(profiles::presetEntries());
    const QString preset = appSettings().value("savecalname", QString()).toString();
    if (!preset.isEmpty())
        ui->comboSaveName->setCurrentText(preset);

    m_reference = profiles::loadReference(appSettings());
    if (m_reference.complete())
        m_runs->setReference(m_reference.colors);
    showList(ProfileRuns::ReferenceRun);
    showReferenceIdentity();
    connect(&m_ageTimer, &QTimer::timeout, this, &CreateCal::updateRefAge);
    m_ageTimer.start(ageIntervalMs);
    updateRefAge();
    torvaConnected();
    refConnected();
}

CreateCal::~CreateCal() {
    m_blackWatcher.waitForFinished();
    delete ui;
}

QPatternManger *CreateCal::patternManager() const {
    return ui->patternManager;
}

void CreateCal::setUpMenus(QPortMenu *colorimeterLink, QPortMenu *referenceLink) {
    m_refMenu = new QPortMenu(QStringLiteral("Reference Device"), ui->menubar);
    m_refMenu->setEnabledMask(RoleReference | RoleSpectral | RoleManual);
    m_torvaMenu = new QPortMenu(QStringLiteral("Torva Device"), ui->menubar);
    m_torvaMenu->setEnabledMask(RoleColorimeter);
    ui->menubar->insertMenu(ui->menuTools->menuAction(), m_refMenu);
    ui->menubar->insertMenu(ui->menuTools->menuAction(), m_torvaMenu);
    m_ref = m_refMenu->device();
    m_torva = m_torvaMenu->device();
    connect(m_torva, &GenDevice::connected, this, &CreateCal::torvaConnected);
    connect(m_torva, &GenDevice::closed, this, &CreateCal::torvaClosed);
    connect(m_torva, &GenMeasure::calfileChanged, this, &CreateCal::torvaCalFileChanged);
    connect(m_ref, &GenDevice::connected, this, &CreateCal::refConnected);
    connect(m_ref, &GenDevice::closed, this, &CreateCal::refClosed);
    connect(m_ref, &GenMeasure::calfileChanged, this, &CreateCal::refCalFileChanged);
    if (colorimeterLink)
        m_torvaMenu->linkTo(colorimeterLink);
    if (referenceLink)
        m_refMenu->linkTo(referenceLink);
}

void CreateCal::setUpFields() {
    const QStringList heads = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("Y")};
    // Reference: one block; colorimeter: pre-cal beside post-cal.
    struct Block {
        QGridLayout *grid;
        int run;
        int column;
        const char *title;
    };
    const Block blocks[] = {{ui->gridReference, ProfileRuns::ReferenceRun, 1, ""},
                            {ui->gridTorva, ProfileRuns::TorvaRun, 1, "Pre-Cal"},
                            {ui->gridTorva, ProfileRuns::VerifyRun, 4, "Post-Cal"}};
    for (const Block &b : blocks) {
        if (*b.title)
            b.grid->addWidget(new QLabel(QLatin1String(b.title), this), 0, b.column, 1, 3,
                              Qt::AlignCenter);
        for (int k = 0; k < 3; ++k)
            b.grid->addWidget(new QLabel(heads.at(k), this), 1, b.column + k, Qt::AlignCenter);
        for (int c = 0; c < profiles::patchCount; ++c) {
            if (b.column == 1)
                b.grid->addWidget(new QLabel(profiles::patchNames().at(c), this), c + 2, 0);
            for (int k = 0; k < 3; ++k) {
                auto *field = new QLineEdit(this);
                field->setReadOnly(true);
                field->setObjectName(QStringLiteral("line%1_%2_%3").arg(b.run).arg(c).arg(k));
                field->setMinimumWidth(64);
                b.grid->addWidget(field, c + 2, b.column + k);
                m_fields[b.run][c][k] = field;
            }
        }
    }
}

void CreateCal::showList(int run) {
    const QVector<Measurement> &list = m_runs->list(static_cast<ProfileRuns::Run>(run));
    for (int c = 0; c < profiles::patchCount; ++c) {
        const bool have = c < list.size();
        const double values[3] = {have ? list.at(c).x : 0, have ? list.at(c).y : 0,
                                  have ? list.at(c).bigY : 0};
        for (int k = 0; k < 3; ++k) {
            QLineEdit *f = m_fields[run][c][k];
            if (!have)
                f->clear();
            else
                f->setText(
                    k < 2 ? QString::number(values[k], 'f', 4)
                          : formatSigFigs(isNits() ? values[k] : nitsToFootLamberts(values[k])));
        }
    }
}

void CreateCal::showReferenceIdentity() {
    // Who took the reference values, beside them; the connected reference
    // may be another instrument, or none.
    if (m_reference.model.isEmpty() && m_reference.serial.isEmpty()) {
        ui->labelRefSource->clear();
        return;
    }
    ui->labelRefSource->setText(QStringLiteral("%1 %2   %3: %4")
                                    .arg(m_reference.model.trimmed(), m_reference.serial,
                                         m_reference.profileId, m_reference.profileName));
}

void CreateCal::showEvent(QShowEvent *event) {
    QMemoryMainWindow::showEvent(event);
    updateRefAge(); // the age went on while the window was closed
}

void CreateCal::updateRefAge() {
    if (!m_reference.time.isValid()) {
        ui->labelRefAge->clear();
        ui->labelRefAge->setStyleSheet(QString());
        return;
    }
    const profiles::AgeLook look =
        profiles::referenceAge(m_reference.time.secsTo(QDateTime::currentDateTime()));
    ui->labelRefAge->setStyleSheet(look.style);
    ui->labelRefAge->setText(
        QStringLiteral("%1 %2").arg(m_reference.time.toString(Qt::TextDate), look.text));
}

// ---- Runs ----

void CreateCal::on_pushRefMeasure_clicked() {
    if (!m_ref->isConnected()) {
        dialogs().critical(this, QStringLiteral("Reference"),
                           QStringLiteral("No reference device connected."));
        return;
    }
    if (m_torva->isMeasuring() || m_running)
        return;
    m_runs->prepare(ProfileRuns::ReferenceRun, m_ref);
    showList(ProfileRuns::ReferenceRun);
    ui->patternManager->start(m_ref, QPatternManger::ReferenceRun);
}

void CreateCal::on_pushTorvaMeasure_clicked() {
    if (!m_torva->isConnected()) {
        dialogs().critical(this, QStringLiteral("Colorimeter"),
                           QStringLiteral("No colorimeter device connected."));
        return;
    }
    if (m_torva->isMeasuring() || m_running)
        return;
    m_runs->prepare(ProfileRuns::TorvaRun, m_torva);
    showList(ProfileRuns::TorvaRun);
    ui->patternManager->start(m_torva, QPatternManger::TorvaRun);
}

void CreateCal::measureDone(const Measurement &, QPatternManger::measureDevice tag, int) {
    showList(tag);
}

void CreateCal::Aborted(QPatternManger::measureDevice tag) {
    showList(tag); // the patches measured before the stop stay on show
    if (tag == QPatternManger::VerifyRun)
        clearVerdict();
}

void CreateCal::clearVerdict() {
    ui->labelVerdict->clear();
    ui->labelVerdict->setStyleSheet(QString());
}

void CreateCal::finished(QPatternManger::measureDevice tag) {
    showList(tag);
    switch (tag) {
    case QPatternManger::ReferenceRun:
        m_reference.time = QDateTime::currentDateTime();
        m_reference.model = m_ref->model();
        m_reference.serial = m_ref->serialNumber();
        m_reference.profileId = QString::number(m_ref->calFileIndex());
        m_reference.profileName = m_ref->calFileName();
        m_reference.colors = m_runs->list(ProfileRuns::ReferenceRun);
        profiles::saveReference(appSettings(), m_reference);
        showReferenceIdentity();
        updateRefAge();
        statusBar()->showMessage(QStringLiteral("Reference Colorimeter Measurement Completed"));
        break;
    case QPatternManger::TorvaRun:
        statusBar()->showMessage(QStringLiteral("Torva Calibration File Measurement Completed"));
        if (isFactoryMode() && m_runs->complete(ProfileRuns::ReferenceRun))
            on_pushSave_clicked();
        break;
    case QPatternManger::VerifyRun:
        verified();
        break;
    }
}

void CreateCal::on_pushGamut_clicked() {
    const NamedGamut &gamut = ChromaGamutSpec::instance()->currentGamut();
    m_reference = profiles::gamutReference(gamut.spec, gamut.name, QDateTime::currentDateTime());
    m_reference.profileId = QString::number(ChromaGamutSpec::instance()->currentGamutIndex());
    m_runs->setReference(m_reference.colors);
    profiles::saveReference(appSettings(), m_reference);
    showList(ProfileRuns::ReferenceRun);
    showReferenceIdentity();
    updateRefAge();
}

// ---- Store and verify ----

void CreateCal::on_pushSave_clicked() {
    if (!m_runs->complete(ProfileRuns::ReferenceRun)) {
        dialogs().critical(this, QLatin1String(savingTitle),
                           QStringLiteral("No reference measurement taken"));
        return;
    }
    if (!m_runs->complete(ProfileRuns::TorvaRun)) {
        dialogs().critical(this, QLatin1String(savingTitle),
                           QStringLiteral("No TColorimeter measurement taken"));
        return;
    }
    // A profile is for good: none from readings that cannot make one.
    const QString why =
        profiles::patchSetProblem(m_runs->list(ProfileRuns::ReferenceRun),
                                  m_runs->list(ProfileRuns::TorvaRun), m_reference.measured());
    if (!why.isEmpty()) {
        dialogs().critical(this, QLatin1String(savingTitle),
                           QStringLiteral("These measurements cannot make a profile: %1.\n"
                                          "Nothing was stored.")
                               .arg(why));
        return;
    }
    const QString text = ui->comboSaveName->currentText();
    const profiles::Preset preset = profiles::parsePreset(text);
    if (preset.isDefault)
        appSettings().remove("savecalname");
    else
        appSettings().setValue("savecalname", text);
    QVector<double> black;
    if (preset.slot == 0) {
        // Checked here, or in the black verification window.
        black = m_black->blackList();
        if (black.isEmpty() && m_blackWindow)
            black = m_blackWindow->verifier()->blackList();
        if (black.isEmpty()) {
            dialogs().critical(this, QLatin1String(savingTitle),
                               QStringLiteral("The black hasn't been checked"));
            return;
        }
    }
    auto *save = new SaveCal(m_torva, preset.slot, preset.name,
                             m_runs->tristimulus(ProfileRuns::ReferenceRun),
                             m_runs->tristimulus(ProfileRuns::TorvaRun), black, this);
    connect(save, &SaveCal::Closed, this, &CreateCal::saveCalFile);
    save->open();
}

void CreateCal::saveCalFile() {
    if (!isFactoryMode())
        dialogs().information(this, QLatin1String(savingTitle),
                              QStringLiteral("Cal File has been saved. Press OK to verify "
                                             "calibration."));
    clearVerdict();
    m_runs->prepare(ProfileRuns::VerifyRun, m_torva);
    showList(ProfileRuns::VerifyRun);
    ui->patternManager->start(m_torva, QPatternManger::VerifyRun);
}

void CreateCal::verified() {
    const profiles::Verdict v = m_runs->verdict();
    ui->labelVerdict->setText(profiles::verdictSummary(v));
    // The outcome of the whole chain: large, on a colour that reads in
    // either theme.
    ui->labelVerdict->setStyleSheet(
        QStringLiteral("QLabel { font-size: 15pt; font-weight: bold; padding: 8px; "
                       "border-radius: 4px; color: #ffffff; background-color: %1; }")
            .arg(v.pass ? QStringLiteral("#1e8a2e") : QStringLiteral("#b52a2a")));
    statusBar()->showMessage(v.pass ? QStringLiteral("Verification passed: the profile is stored "
                                                     "and in use")
                                    : QStringLiteral("Verification failed: the profile is "
                                                     "stored but measures outside 0.001 or 2%"));
    if (v.pass)
        on_pushQCSave_clicked();
    else
        dialogs().warning(this, QStringLiteral("Verifying Calibration"),
                          profiles::verdictMessage(v));
}

profiles::QcReport CreateCal::qcReport() {
    profiles::QcReport r;
    r.when = QDateTime::currentDateTime();
    r.colorMatrix = m_torva->colorMatrix();
    r.referenceModel = appSettings().value("refmodel", QString()).toString();
    r.referenceSerial = appSettings().value("refsn", QString()).toString();
    r.referenceProfileId = appSettings().value("refcalfileid", QString()).toString();
    r.referenceProfileName = appSettings().value("refcalfilename", QString()).toString();
    r.model = m_torva->model();
    r.serial = m_torva->serialNumber();
    r.slot = m_torva->calFileIndex();
    r.slotName = m_torva->calFileName();
    for (int run = 0; run < 3; ++run) {
        if (!m_runs->complete(static_cast<ProfileRuns::Run>(run)))
            continue;
        const QVector<Measurement> &list = m_runs->list(static_cast<ProfileRuns::Run>(run));
        (run == 0 ? r.reference : run == 1 ? r.preCal : r.postCal) = list;
    }
    return r;
}

void CreateCal::on_pushQCSave_clicked() {
    const profiles::QcReport report = qcReport();
    if (!profiles::qcReportComplete(report)) {
        dialogs().warning(this, QStringLiteral("Saving QC Report"),
                          QStringLiteral("Don't have all 3 measuring types measured: TClmtr's "
                                         "before and after, or the reference"));
        return;
    }
    const QString path = dialogs().getSaveFileName(
        this, QStringLiteral("Save Report"), profiles::qcReportFileName(report.serial, report.slot),
        QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (!profiles::saveQcReport(path, report)) {
        dialogs().critical(this, QStringLiteral("Saving QC Report"),
                           QStringLiteral("The QC report could not be written to %1.").arg(path));
        return;
    }
    emit qcReportSaved(path, report);
}

// ---- Black ----

void CreateCal::on_pushCalibrateBlack_clicked() {
    if (!m_torva->isConnected() || m_torva->isMeasuring() || m_blackWatcher.isRunning() ||
        m_running)
        return;
    if (!askToDarken(this))
        return;
    setButtons(true);
    GenMeasure *device = m_torva;
    m_blackWatcher.setFuture(QtConcurrent::run([device] { return device->calibrateBlack(); }));
}

void CreateCal::finishedCaliBlack() {
    setButtons(false);
    reportBlackCalibration(this, m_blackWatcher.result());
}

void CreateCal::on_pushAimLightsOn_clicked() {
    m_torva->setAimingLight(true);
}

void CreateCal::on_pushAimLightsOff_clicked() {
    m_torva->setAimingLight(false);
}

// ---- Devices ----

void CreateCal::setButtons(bool running) {
    m_running = running;
    updateButtons();
}

void CreateCal::updateButtons() {
    const bool busy = m_running || m_blackWatcher.isRunning();
    const bool torva = m_torva->isConnected();
    ui->pushRefMeasure->setEnabled(!busy && m_ref->isConnected());
    for (QWidget *w : std::initializer_list<QWidget *>{ui->pushTorvaMeasure, ui->pushSave,
                                                       ui->pushCalibrateBlack, ui->pushVerifyBlack,
                                                       ui->pushAimLightsOn, ui->pushAimLightsOff})
        w->setEnabled(!busy && torva);
    ui->pushQCSave->setEnabled(!busy);
    ui->pushGamut->setEnabled(!busy);
}

void CreateCal::showDevice(GenMeasure *device, QLabel *model, QLabel *profile) {
    const bool open = device->isConnected();
    model->setText(open ? idText(device) : QString());
    profile->setText(
        open ? QStringLiteral("%1: %2").arg(device->calFileIndex()).arg(device->calFileName())
             : QString());
    updateButtons();
}

void CreateCal::torvaConnected() {
    showDevice(m_torva, ui->labelTorvaModel, ui->labelTorvaCalFile);
}

void CreateCal::torvaClosed() {
    torvaConnected();
}

void CreateCal::torvaCalFileChanged() {
    torvaConnected();
}

void CreateCal::refConnected() {
    showDevice(m_ref, ui->labelRefModel, ui->labelRefCalFile);
}

void CreateCal::refClosed() {
    refConnected();
}

void CreateCal::refCalFileChanged() {
    refConnected();
}

// ---- Menus ----

void CreateCal::on_actionReturn_triggered() {
    close();
}

void CreateCal::on_actionOpen_Controls_triggered() {
    // The entry names what it will do next.
    const bool show = ui->patternManager->isHidden();
    ui->patternManager->setVisible(show);
    ui->actionOpen_Controls->setText(show ? QStringLiteral("Hide Controls")
                                          : QStringLiteral("Open Controls"));
}

void CreateCal::on_actionCheck_Black_triggered() {
    if (!m_blackWindow)
        m_blackWindow = new BlackCal(m_torva, this);
    m_blackWindow->show();
    m_blackWindow->raise();
    m_blackWindow->activateWindow();
}

void CreateCal::on_actionOpen_Help_File_triggered() {
    emit helpRequested();
}

void CreateCal::closeEvent(QCloseEvent *event) {
    // A run left going would measure into a window nobody watches.
    ui->patternManager->abort();
    QMemoryMainWindow::closeEvent(event);
}
