#include "kelvincalculator.h"
#include "ui_kelvincalculator.h"

#include "appsettings.h"
#include "chromagamutspec.h"
#include "dialogs.h"
#include "gamutspecform.h"

#include <QStatusBar>

#include <cmath>

KelvinCalculator::KelvinCalculator(QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("kelvincalculator"), parent), ui(new Ui::KelvinCalculator),
      m_spec(ChromaGamutSpec::instance()) {
    ui->setupUi(this);
    m_fields = {ui->lineX,    ui->lineYxyz,  ui->lineZ,   ui->linex, ui->liney,    ui->lineYxy,
                ui->lineu,    ui->linev,     ui->lineYuv, ui->lineK, ui->lineKduv, ui->lineYK,
                ui->linenm,   ui->linenmduv, ui->lineYnm, ui->lineR, ui->lineG,    ui->lineB,
                ui->lineH,    ui->lineS,     ui->lineV,   ui->lineL, ui->linea,    ui->lineb,
                ui->lineLchL, ui->lineC,     ui->lineh};
    for (QLineEditViewChange *f : m_fields)
        f->setMinimumWidth(90);
    connect(m_spec, &ChromaGamutSpec::CurrentGamutChanged, this, &KelvinCalculator::updateGamut);
    setUpGraph();
}

KelvinCalculator::~KelvinCalculator() {
    delete ui;
}

void KelvinCalculator::convert(KelvinNotation notation) {
    QStringList texts;
    for (KelvinField f : notationFields(notation))
        texts << m_fields[f]->text();
    const KelvinEntry entry =
        convertKelvinEntry(notation, texts, isNits(), m_spec->currentGamut().spec);
    if (!entry.ok) {
        dialogs().warning(this, QStringLiteral("Entry"),
                          QStringLiteral("The entry has an error.\n") + entry.reason);
        return;
    }
    display(entry.m);
}

void KelvinCalculator::display(const Measurement &m) {
    m_colour = m;
    m_haveColour = true;
    const std::array<QString, kelvinFieldCount> texts = kelvinTexts(m, isNits());
    for (int i = 0; i < kelvinFieldCount; ++i) {
        m_fields[i]->setText(texts[i]);
        m_fields[i]->setCursorPosition(0);
        m_fields[i]->reset();
    }
    plot();
}

void KelvinCalculator::on_pushD65_clicked() {
    const GamutSpec &spec = m_spec->currentGamut().spec;
    display(Measurement::fromxyY(0.31271, 0.32902, spec.whiteBigY, spec));
}

void KelvinCalculator::on_pushConvertxy_clicked() {
    convert(KelvinNotation::xyY);
}
void KelvinCalculator::on_pushConvertK_clicked() {
    convert(KelvinNotation::Temperature);
}
void KelvinCalculator::on_pushConvertuv_clicked() {
    convert(KelvinNotation::UpVp);
}
void KelvinCalculator::on_pushConvertnm_clicked() {
    convert(KelvinNotation::Wavelength);
}
void KelvinCalculator::on_pushConvertNTSC_clicked() {
    convert(KelvinNotation::RGB);
}
void KelvinCalculator::on_pushConvertHSV_clicked() {
    convert(KelvinNotation::HSV);
}
void KelvinCalculator::on_pushConvertLab_clicked() {
    convert(KelvinNotation::Lab);
}

void KelvinCalculator::on_pushConvertXYZ_clicked() {
    // The X field also takes the words that switch the hidden modes. A word
    // is no number: it switches the mode, and there is nothing to convert.
    const QString word = ui->lineX->text().trimmed();
    const HiddenWord hidden = hiddenWord(word);
    if (hidden != HiddenWord::None) {
        applyHiddenWord(hidden, word);
        ui->lineX->clear();
        ui->lineX->reset();
        statusBar()->showMessage(QStringLiteral("Done."), 3000);
        emit hiddenModesChanged();
        return;
    }
    convert(KelvinNotation::XYZ);
}

void KelvinCalculator::updateGamut() {
    if (!m_haveColour)
        return;
    m_colour.setGamutSpec(m_spec->currentGamut().spec);
    display(m_colour);
}

void KelvinCalculator::on_pushClear_clicked() {
    for (QLineEditViewChange *f : m_fields) {
        f->clear();
        f->reset();
    }
    m_haveColour = false;
    ui->graphBox->clearPoints(0);
    ui->graphBox->appendPlotsPoints(0, QPointF(0, 0));
    ui->graphBox->updateGraph();
}

void KelvinCalculator::on_pushGamutSetting_clicked() {
    gamutSpecForm form(this);
    form.exec();
}

void KelvinCalculator::on_pushClose_clicked() {
    close();
}

// ---- Graph ----

void KelvinCalculator::on_radioPlotXY_clicked() {
    setUpGraph();
}
void KelvinCalculator::on_radioPlotuv_clicked() {
    setUpGraph();
}
void KelvinCalculator::on_radioHue_clicked() {
    setUpGraph();
}

void KelvinCalculator::setUpGraph() {
    QGraphBox *g = ui->graphBox;
    g->clearPlots();
    g->setXName(QString());
    g->setYName(QString());
    if (ui->radioHue->isChecked()) {
        g->setBackgroundMode(QGraphBox::HueSatMode);
    } else {
        g->setCieChart(ui->radioPlotuv->isChecked() ? QGraphBox::CIE1976 : QGraphBox::CIE1931);
        g->setCIEScale();
        g->setBackgroundMode(QGraphBox::CIEMode);
    }
    g->setGamutSpec(m_spec->currentGamut().spec);
    PlotObject point;
    point.style = PlotObject::Points;
    point.colors << QColor(Qt::red);
    point.points << QPointF(0, 0);
    g->appendPlots(point);
    plot();
}

void KelvinCalculator::plot() {
    if (!m_haveColour)
        return;
    const Measurement &m = m_colour;
    QPointF p;
    if (ui->radioHue->isChecked())
        p = m.hue < 0 ? QPointF(0, 0) : QPointF(m.hue, m.saturation);
    else if (ui->radioPlotuv->isChecked())
        p = QPointF(m.uPrime, m.vPrime);
    else
        p = QPointF(m.x, m.y);
    QGraphBox *g = ui->graphBox;
    g->setGamutSpec(m_spec->currentGamut().spec);
    g->clearPoints(0);
    g->appendPlotsPoints(0, p);
    // Every plot change redraws at once, not after a pending resize.
    g->updateGraph();
}
