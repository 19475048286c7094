#include "displaycorrection.h"
#include "ui_displaycorrection.h"

#include "atomicsave.h"
#include "chromagamutspec.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "qportmenu.h"

#include <QFileInfo>
#include <QStatusBar>
#include <QtConcurrent>

using namespace correction;

namespace {

const char *const startRun = "Start Run";

QString worseText() {
    return QStringLiteral("The display is further from the target through the correction than "
                          "without it: do not use this table. More patches may model this "
                          "display better.");
}

QString figures(const VerificationSummary &s, bool hdr) {
    QString text = QStringLiteral("ΔE2000 mean %1, maximum %2 (%3)")
                       .arg(s.meanDeltaE, 0, 'f', 2)
                       .arg(s.maxDeltaE, 0, 'f', 2)
                       .arg(QString::fromStdString(s.worst));
    if (hdr)
        text += QStringLiteral("; ΔITP mean %1, maximum %2")
                    .arg(s.meanDeltaItp, 0, 'f', 1)
                    .arg(s.maxDeltaItp, 0, 'f', 1);
    return text + QStringLiteral("; greys within Δu'v' %1 and %2 % of their luminance")
                      .arg(s.greyMaxDuv, 0, 'f', 4)
                      .arg(s.greyMaxLuminancePercent, 0, 'f', 1);
}

} // namespace

DisplayCorrection::DisplayCorrection(QPortMenu *linkTo, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("displayCorrection"), parent),
      ui(new Ui::DisplayCorrection) {
    ui->setupUi(this);
    m_menu = QPortMenu::addColorimeterMenu(ui->menubar);
    if (linkTo)
        m_menu->linkTo(linkTo);

    const ChromaGamutSpec &gamuts = *ChromaGamutSpec::instance();
    ui->comboStandard->addItems(gamuts.gamutNames());
    ui->comboStandard->setCurrentIndex(gamuts.currentGamutIndex());

    QPatternManger *manager = ui->patternManager;
    connect(manager, &QPatternManger::Measured, this, &DisplayCorrection::measureDone);
    connect(manager, &QPatternManger::finished, this, &DisplayCorrection::runFinished);
    connect(manager, &QPatternManger::Aborted, this,
            [this](QPatternManger::measureDevice) { m_mode = Mode::Idle; });
    connect(manager, QOverload<bool>::of(&QPatternManger::isRunning), this,
            &DisplayCorrection::setButtons);
    connect(manager, &QPatternManger::runEnded, this,
            [this](const QString &summary) { statusBar()->showMessage(summary); });
    connect(&m_compute, &QFutureWatcher<Computed>::finished, this, &DisplayCorrection::computed);
    setButtons(false);
}

DisplayCorrection::~DisplayCorrection() {
    ui->patternManager->abort();
    m_compute.waitForFinished();
    delete ui;
}

QPatternManger *DisplayCorrection::patternManager() const {
    return ui->patternManager;
}

void DisplayCorrection::on_comboCurve_currentIndexChanged(int index) {
    ui->doubleGamma->setEnabled(index == 0);
}

TargetSpec DisplayCorrection::targetSpec() const {
    const VideoStandard standard =
        ChromaGamutSpec::instance()->videoStandard(ui->comboStandard->currentIndex());
    const GamutSpec &s = standard.spec;
    TargetSpec t;
    t.primaries =
        GamutSpec(s.redX, s.redY, s.greenX, s.greenY, s.blueX, s.blueY, s.whiteX, s.whiteY, 1.0);
    t.curve = standard.curve;
    const Transfer curves[] = {Transfer::Gamma, Transfer::Bt1886, Transfer::Pq, Transfer::Hlg};
    t.curve.transfer = curves[std::clamp(ui->comboCurve->currentIndex(), 0, 3)];
    t.curve.gamma = t.curve.transfer == Transfer::Gamma ? ui->doubleGamma->value() : 2.4;
    t.black = ui->comboBlack->currentIndex() == 1 ? BlackHandling::Zero : BlackHandling::Native;
    return t;
}

bool DisplayCorrection::start(Mode mode,
                              const std::vector<std::pair<std::string, Patch>> &patches) {
    auto refuse = [this](const QString &text) {
        dialogs().warning(this, QString::fromLatin1(startRun), text, QMessageBox::Ok,
                          QMessageBox::Ok);
        return false;
    };
    GenMeasure *device = m_menu->currentDevice();
    if (!device)
        return refuse(QStringLiteral("You must have a Torva Device hooked up."));
    // The run shows its patches on the sequence's generator.
    if (!ui->patternManager->sequence()->generator())
        return refuse(QStringLiteral("You must have a Pattern Generator to run the "
                                     "characterisation."));
    QList<QColor> colors;
    for (const auto &entry : patches)
        colors << QColor(entry.second.code[0], entry.second.code[1], entry.second.code[2]);
    m_patches = patches;
    m_measured.clear();
    m_mode = mode;
    ui->progressRun->setRange(0, int(patches.size()));
    ui->progressRun->setValue(0);
    ui->progressRun->setTextVisible(true); // no "0%" before the first run
    ui->patternManager->setColors(colors);
    ui->patternManager->start(device, QPatternManger::TorvaRun);
    if (!ui->patternManager->isRunning()) {
        m_mode = Mode::Idle;
        return false;
    }
    return true;
}

void DisplayCorrection::on_pushRun_clicked() {
    const PatchSetSize sizes[] = {PatchSetSize::Quick, PatchSetSize::Normal,
                                  PatchSetSize::Thorough};
    start(Mode::Characterise, characterisationRun(sizes[ui->comboPatches->currentIndex()]));
}

void DisplayCorrection::on_pushVerify_clicked() {
    if (!m_result) {
        dialogs().warning(this, QString::fromLatin1(startRun),
                          QStringLiteral("Characterize the display first."), QMessageBox::Ok,
                          QMessageBox::Ok);
        return;
    }
    start(Mode::Verify, verificationRun());
}

void DisplayCorrection::measureDone(const Measurement &m, QPatternManger::measureDevice,
                                    int index) {
    if (m_mode == Mode::Idle || index < 0 || index >= int(m_patches.size()))
        return;
    m_measured.push_back(
        {m_patches[index].first, m_patches[index].second, {m.bigX, m.bigY, m.bigZ}});
    ui->progressRun->setValue(int(m_measured.size()));
}

void DisplayCorrection::runFinished(QPatternManger::measureDevice) {
    const Mode mode = m_mode;
    m_mode = Mode::Idle;
    if (m_measured.size() != m_patches.size())
        return;
    if (mode == Mode::Characterise) {
        characterised();
        return;
    }
    if (mode == Mode::Verify && m_result)
        m_after = judgeRows(m_measured, m_result->target);
    showResults();
    // Below the figures this could scroll out of sight; it must not be missed.
    if (mode == Mode::Verify && verifiedFurther())
        dialogs().warning(this, QStringLiteral("Display Correction"), worseText(), QMessageBox::Ok,
                          QMessageBox::Ok);
}

void DisplayCorrection::characterised() {
    const QString standard = ui->comboStandard->currentText();
    const TargetSpec spec = targetSpec();
    const int size = ui->comboSize->currentText().toInt();
    const std::string title = "Tintwell correction to " + standard.toStdString();
    const std::vector<MeasuredPatch> rows = m_measured;
    m_computing = true;
    setButtons(true);
    statusBar()->showMessage(QStringLiteral("Computing the correction..."));
    m_compute.setFuture(QtConcurrent::run([rows, spec, size, title, standard] {
        Computed out;
        out.standard = standard;
        auto made = std::make_shared<Correction>();
        if (computeCorrection(rows, spec, size, title, made.get(), &out.why))
            out.correction = made;
        return out;
    }));
}

void DisplayCorrection::computed() {
    m_computing = false;
    const Computed done = m_compute.result();
    statusBar()->clearMessage();
    setButtons(false);
    if (!done.correction) {
        dialogs().warning(
            this, QStringLiteral("Display Correction"),
            QStringLiteral("No correction could be made: %1").arg(QString::fromStdString(done.why)),
            QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    m_result = done.correction;
    m_standardName = done.standard;
    m_after.clear();
    showResults();
}

bool DisplayCorrection::verifiedFurther() const {
    return m_result && !m_after.empty() &&
           furtherThanBefore(summarise(m_result->before), summarise(m_after));
}

void DisplayCorrection::showResults() {
    if (!m_result)
        return;
    const Correction &c = *m_result;
    const FitReport &fit = c.model->report();
    const bool hdr = c.target.isHdr();
    QStringList lines;
    lines << QStringLiteral("Target: %1, white %2 cd/m², black %3 cd/m²")
                 .arg(m_standardName)
                 .arg(c.target.whiteNits(), 0, 'f', 1)
                 .arg(c.model->black()[1], 0, 'f', 3);
    lines << QStringLiteral("Model: ΔE2000 of %1 patches the fit did not use: mean %2, "
                            "maximum %3; the channels alone miss the cube by %4 at most")
                 .arg(fit.heldBack)
                 .arg(fit.meanDeltaE, 0, 'f', 2)
                 .arg(fit.maxDeltaE, 0, 'f', 2)
                 .arg(fit.interactionMaxDeltaE, 0, 'f', 2);
    lines << QStringLiteral("Gamut coverage (u'v' area): Rec. 709 %1 %, DCI-P3 %2 %, "
                            "Rec. 2020 %3 %")
                 .arg(100 * c.coverage.rec709, 0, 'f', 1)
                 .arg(100 * c.coverage.p3, 0, 'f', 1)
                 .arg(100 * c.coverage.rec2020, 0, 'f', 1);
    lines << QStringLiteral("Before correction: ") + figures(summarise(c.before), hdr);
    if (!m_after.empty()) {
        lines << QStringLiteral("Through the correction: ") + figures(summarise(m_after), hdr);
        if (verifiedFurther())
            lines << worseText();
    }
    ui->textResults->setPlainText(lines.join(QLatin1Char('\n')));
    setButtons(false);
}

QString DisplayCorrection::saveBytes(const QString &caption, const QString &filter,
                                     const QByteArray &bytes) {
    const QString path = dialogs().getSaveFileName(this, caption, QString(), filter);
    if (path.isEmpty())
        return path;
    if (saveAtomically(path, bytes) != SaveResult::Saved) {
        dialogs().warning(this, caption, QStringLiteral("Could not write %1.").arg(path),
                          QMessageBox::Ok, QMessageBox::Ok);
        return QString();
    }
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(path));
    return path;
}

void DisplayCorrection::on_pushSaveCube_clicked() {
    if (!m_result)
        return;
    const QString path =
        saveBytes(QStringLiteral("Save 3D LUT"), QStringLiteral("Cube LUT (*.cube)"),
                  QByteArray::fromStdString(writeCube(m_result->lut)));
    if (path.isEmpty())
        return;
    // The grey curves go beside it, for a processor that takes them apart.
    const QFileInfo info(path);
    const QString curves = info.path() + QLatin1Char('/') + info.completeBaseName() +
                           QStringLiteral("-calibration.cube");
    saveAtomically(curves, QByteArray::fromStdString(writeCube(m_result->curves)));
}

void DisplayCorrection::on_pushSaveIcc_clicked() {
    if (!m_result)
        return;
    const std::vector<unsigned char> &icc = m_result->icc;
    saveBytes(QStringLiteral("Save ICC Profile"), QStringLiteral("ICC profile (*.icc *.icm)"),
              QByteArray(reinterpret_cast<const char *>(icc.data()), int(icc.size())));
}

void DisplayCorrection::setButtons(bool running) {
    running = running || m_computing;
    ui->pushRun->setEnabled(!running);
    ui->pushVerify->setEnabled(!running && m_result);
    ui->pushSaveCube->setEnabled(!running && m_result);
    ui->pushSaveIcc->setEnabled(!running && m_result);
    ui->groupTarget->setEnabled(!running);
    ui->groupRun->setEnabled(!running);
}
