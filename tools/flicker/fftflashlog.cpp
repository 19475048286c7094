#include "fftflashlog.h"
#include "ui_fftflashlog.h"

#include "dialogs.h"

#include <QPushButton>

FFTFlashLog::FFTFlashLog(bool showThreshold, QWidget *parent)
    : QDialog(parent), ui(new Ui::FFTFlashLog) {
    ui->setupUi(this);
    for (QWidget *w :
         {static_cast<QWidget *>(ui->labelThreshold), static_cast<QWidget *>(ui->spinThreshold),
          static_cast<QWidget *>(ui->labelThresholdUnit), ui->thresholdSpacer})
        w->setVisible(showThreshold);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &FFTFlashLog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &FFTFlashLog::reject);
    connect(ui->lineFile, &QLineEdit::textChanged, this, &FFTFlashLog::updateOk);
    updateOk();
}

FFTFlashLog::~FFTFlashLog() {
    delete ui;
}

QString FFTFlashLog::path() const {
    return ui->lineFile->text().trimmed();
}
double FFTFlashLog::threshold() const {
    return ui->spinThreshold->value();
}
double FFTFlashLog::minutes() const {
    return ui->spinMinutes->value();
}
void FFTFlashLog::setPath(const QString &path) {
    ui->lineFile->setText(path);
}
void FFTFlashLog::setMinutes(double minutes) {
    ui->spinMinutes->setValue(minutes);
}
void FFTFlashLog::setThreshold(double threshold) {
    ui->spinThreshold->setValue(threshold);
}

void FFTFlashLog::accept() {
    if (!path().isEmpty())
        QDialog::accept();
}

void FFTFlashLog::on_pushBrowse_clicked() {
    const QString chosen = dialogs().getSaveFileName(this, QStringLiteral("Save CSV"), path(),
                                                     QStringLiteral("CSV (*.CSV)"));
    if (!chosen.isEmpty())
        ui->lineFile->setText(chosen);
}

void FFTFlashLog::updateOk() {
    if (QPushButton *ok = ui->buttonBox->button(QDialogButtonBox::Ok))
        ok->setEnabled(!path().isEmpty());
}
