#include "saveheaders.h"
#include "ui_saveheaders.h"

#include "appsettings.h"

#include <QVariantList>

namespace {
const char *const key = "saveHeaders/headersSave";
}

saveHeaders::saveHeaders(QWidget *parent) : QDialog(parent), ui(new Ui::saveHeaders) {
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &saveHeaders::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &saveHeaders::reject);
    for (QCheckBox *box : boxes())
        connect(box, &QCheckBox::toggled, this, &saveHeaders::updateCheckAll);
    setFlags(storedFlags());
}

saveHeaders::~saveHeaders() {
    delete ui;
}

QList<QCheckBox *> saveHeaders::boxes() const {
    return {ui->checkXY,         ui->checkUV,  ui->checkBigY, ui->checkBigXZ, ui->checkTemperature,
            ui->checkNanometers, ui->checkRGB, ui->checkHSV,  ui->checkLab,   ui->checkLCh};
}

QList<bool> saveHeaders::flags() const {
    QList<bool> out;
    for (const QCheckBox *box : boxes())
        out << box->isChecked();
    return out;
}

void saveHeaders::setFlags(const QList<bool> &flags) {
    const QList<QCheckBox *> all = boxes();
    for (int i = 0; i < all.size(); ++i)
        all.at(i)->setChecked(flags.value(i, false));
    updateCheckAll();
}

QList<bool> saveHeaders::storedFlags() {
    const QVariantList stored = appSettings().value(key).toList();
    QList<bool> out;
    for (const QVariant &v : stored)
        out << v.toBool();
    if (out.size() != groupCount)
        out = QVector<bool>(groupCount, false).toList();
    return out;
}

void saveHeaders::accept() {
    QVariantList list;
    for (bool f : flags())
        list << f;
    appSettings().setValue(key, list);
    QDialog::accept();
}

QList<bool> saveHeaders::getHeaders(QWidget *parent, bool *accepted) {
    saveHeaders dialog(parent);
    const bool ok = dialog.exec() == QDialog::Accepted;
    if (accepted)
        *accepted = ok;
    return ok ? dialog.flags() : storedFlags();
}

void saveHeaders::on_checkAll_clicked(bool checked) {
    for (QCheckBox *box : boxes())
        box->setChecked(checked);
}

void saveHeaders::updateCheckAll() {
    const QSignalBlocker block(ui->checkAll);
    ui->checkAll->setChecked(!flags().contains(false));
}
