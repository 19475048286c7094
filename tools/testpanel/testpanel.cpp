#include "testpanel.h"
#include "ui_testpanel.h"

#include "appsettings.h"
#include "genmeasure.h"

#include <QCloseEvent>

namespace {
const char *const handleStyle =
    "QSlider::handle:horizontal { background: #e6e6e6; border: 1px solid #404040; width: 12px; "
    "margin: -4px 0; border-radius: 3px; }";
}

TestPanel::TestPanel(GenMeasure *device, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("testpanel"), parent), ui(new Ui::TestPanel) {
    ui->setupUi(this);
    if (device)
        connect(device, &GenMeasure::measured, this, &TestPanel::measure);
    refresh();
}

TestPanel::~TestPanel() {
    // The application may end with the panel still open.
    if (m_open)
        storeSettings();
    delete ui;
}

QString TestPanel::panelStyle(int r, int g, int b) {
    return QStringLiteral("background-color: rgb(%1, %2, %3)").arg(r).arg(g).arg(b);
}

QString TestPanel::grooveGradient(int channel, int r, int g, int b) {
    static const char *const stops[3] = {
        "background-color:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop: 0 rgb(0, %2, %3), "
        "stop: 1 rgb(255, %2, %3))",
        "background-color:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop: 0 rgb(%1, 0, %3), "
        "stop: 1 rgb(%1, 255, %3))",
        "background-color:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop: 0 rgb(%1, %2, 0), "
        "stop: 1 rgb(%1, %2, 255))"};
    QString text = QString::fromLatin1(stops[qBound(0, channel, 2)]);
    // Only the placeholders the channel's text holds are filled.
    if (channel != 0)
        text.replace(QLatin1String("%1"), QString::number(r));
    if (channel != 1)
        text.replace(QLatin1String("%2"), QString::number(g));
    if (channel != 2)
        text.replace(QLatin1String("%3"), QString::number(b));
    return text;
}

QColor TestPanel::panelColour() const {
    return QColor(ui->sliderRed->value(), ui->sliderGreen->value(), ui->sliderBlue->value());
}

bool TestPanel::isLinked() const {
    return ui->pushMapColor->isChecked();
}

void TestPanel::refresh() {
    ++m_refreshes;
    const int r = ui->sliderRed->value(), g = ui->sliderGreen->value(), b = ui->sliderBlue->value();
    ui->panel->setStyleSheet(panelStyle(r, g, b));
    QSlider *sliders[3] = {ui->sliderRed, ui->sliderGreen, ui->sliderBlue};
    for (int c = 0; c < 3; ++c) {
        sliders[c]->setStyleSheet(
            QStringLiteral("QSlider::groove:horizontal { height: 12px; border: "
                           "1px solid #404040; border-radius: 3px; %1; } ")
                .arg(grooveGradient(c, r, g, b)) +
            QLatin1String(handleStyle));
    }
    ui->labelRedValue->setText(QString::number(r));
    ui->labelGreenValue->setText(QString::number(g));
    ui->labelBlueValue->setText(QString::number(b));
    ui->labelWhiteValue->setText(QString::number(ui->sliderWhite->value()));
}

void TestPanel::setColour(int r, int g, int b) {
    m_guard = true;
    ui->sliderRed->setValue(r);
    ui->sliderGreen->setValue(g);
    ui->sliderBlue->setValue(b);
    m_guard = false;
    refresh();
}

void TestPanel::unlink() {
    ui->pushMapColor->setChecked(false);
}

void TestPanel::preset(int r, int g, int b) {
    setColour(r, g, b);
    unlink();
}

void TestPanel::on_pushWhite_clicked() {
    preset(255, 255, 255);
}
void TestPanel::on_pushGray_clicked() {
    preset(128, 128, 128);
}
void TestPanel::on_pushBlack_clicked() {
    preset(0, 0, 0);
}
void TestPanel::on_pushRed_clicked() {
    preset(255, 0, 0);
}
void TestPanel::on_pushGreen_clicked() {
    preset(0, 255, 0);
}
void TestPanel::on_pushBlue_clicked() {
    preset(0, 0, 255);
}
void TestPanel::on_pushCyan_clicked() {
    preset(0, 255, 255);
}
void TestPanel::on_pushMagenta_clicked() {
    preset(255, 0, 255);
}
void TestPanel::on_pushYellow_clicked() {
    preset(255, 255, 0);
}

void TestPanel::slider_valueChanged() {
    if (!m_guard)
        refresh();
}

void TestPanel::on_sliderRed_valueChanged(int) {
    if (m_guard)
        return;
    slider_valueChanged();
    unlink();
}
void TestPanel::on_sliderGreen_valueChanged(int) {
    if (m_guard)
        return;
    slider_valueChanged();
    unlink();
}
void TestPanel::on_sliderBlue_valueChanged(int) {
    if (m_guard)
        return;
    slider_valueChanged();
    unlink();
}

void TestPanel::on_sliderWhite_valueChanged(int value) {
    if (m_guard)
        return;
    // A hand-made grey, like a preset, is no longer the target.
    preset(value, value, value);
}

void TestPanel::updateColor(const QColor &colour) {
    m_target = colour;
    if (isLinked() && colour.isValid())
        setColour(colour.red(), colour.green(), colour.blue());
}

void TestPanel::on_pushMapColor_clicked() {
    if (isLinked() && m_target.isValid())
        setColour(m_target.red(), m_target.green(), m_target.blue());
}

void TestPanel::measure(const Measurement &m) {
    const double bigY = isNits() ? m.bigY : nitsToFootLamberts(m.bigY);
    ui->labelReadingx->setText(formatSigFigs(m.x));
    ui->labelReadingy->setText(formatSigFigs(m.y));
    ui->labelReadingY->setText(formatSigFigs(bigY) + QLatin1Char(' ') + unitsText());
    ui->labelReadingR->setText(QString::number(m.redPercent, 'f', 2));
    ui->labelReadingG->setText(QString::number(m.greenPercent, 'f', 2));
    ui->labelReadingB->setText(QString::number(m.bluePercent, 'f', 2));
}

void TestPanel::restoreSettings() {
    QSettings &s = windowSettings();
    m_guard = true;
    const struct {
        const char *key;
        QSlider *slider;
    } keys[] = {{"r", ui->sliderRed},
                {"g", ui->sliderGreen},
                {"b", ui->sliderBlue},
                {"w", ui->sliderWhite}};
    for (const auto &k : keys) {
        if (s.contains(QLatin1String(k.key)))
            k.slider->setValue(qBound(0, s.value(QLatin1String(k.key)).toInt(), 255));
    }
    m_guard = false;
    refresh();
}

void TestPanel::storeSettings() {
    QSettings &s = windowSettings();
    s.setValue("r", ui->sliderRed->value());
    s.setValue("g", ui->sliderGreen->value());
    s.setValue("b", ui->sliderBlue->value());
    s.setValue("w", ui->sliderWhite->value());
}

void TestPanel::showEvent(QShowEvent *event) {
    QMemoryMainWindow::showEvent(event);
    if (m_open)
        return;
    m_open = true;
    restoreSettings();
    // Opens linked to the main window's target.
    ui->pushMapColor->setChecked(false);
    ui->pushMapColor->click();
}

void TestPanel::closeEvent(QCloseEvent *event) {
    storeSettings();
    m_open = false;
    QMemoryMainWindow::closeEvent(event);
}
