#include "manualentry.h"

#include "appsettings.h"
#include "dialogs.h"
#include "ui_manualentry.h"

#include <cmath>

namespace {
constexpr unsigned cancelled = 8;
// No dominant wavelength and CCT out of range are facts about the colour,
// not faults of the entry.
constexpr unsigned colourFacts = 0x10 | 0x20;

bool readNumber(const QLineEdit *edit, double *out) {
    bool ok = false;
    *out = edit->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(*out);
}
} // namespace

ManualEntry::ManualEntry(QWidget *parent) : QDialog(parent), ui(new Ui::ManualEntry) {
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);
    ui->labelUnits->setText(isNits() ? QStringLiteral("Nits") : QStringLiteral("fL"));
}

ManualEntry::~ManualEntry() {
    delete ui;
}

Measurement ManualEntry::getMeasurement() {
    ManualEntry dialog;
    dialog.exec();
    return dialog.result();
}

void ManualEntry::on_pushAccept_clicked() {
    double x = 0, y = 0, Y = 0;
    // y = 0 has no colour: it would pass as an all-zero reading.
    if (readNumber(ui->linex, &x) && readNumber(ui->liney, &y) && readNumber(ui->linebigY2, &Y) &&
        y > 0) {
        if (!isNits())
            Y = footLambertsToNits(Y);
        m_result = Measurement::fromxyY(x, y, Y, GamutSpec::standardSpec(2, 100.0));
        m_result.errorCode &= ~colourFacts;
        if (m_result.errorCode == 0 &&
            Readings::plausible(m_result.bigX, m_result.bigY, m_result.bigZ)) {
            done(1);
            return;
        }
    }
    dialogs().critical(this, QStringLiteral("Entry"), QStringLiteral("The entry has an error."),
                       QMessageBox::Ok);
}

void ManualEntry::on_pushCancel_clicked() {
    const QMessageBox::StandardButton answer =
        dialogs().warning(this, QStringLiteral("Manual Entry"),
                          QStringLiteral("Are you sure you want to cancel the manual entry?"),
                          QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    m_result.errorCode = cancelled;
    done(1);
}

void ManualEntry::reject() {
    m_result.errorCode = cancelled;
    QDialog::reject();
}

void ManualEntryCaller::CallManualEntry(Measurement &m) {
    m = ManualEntry::getMeasurement();
}
