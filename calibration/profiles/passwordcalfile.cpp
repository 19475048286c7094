#include "passwordcalfile.h"

#include "appsettings.h"
#include "dialogs.h"
#include "profilerules.h"
#include "ui_passwordcalfile.h"

#include <QPushButton>

passwordCalfile::passwordCalfile(QWidget *parent) : QDialog(parent), ui(new Ui::passwordCalfile) {
    ui->setupUi(this);
    const QString remembered = profiles::rememberedPassword(appSettings());
    ui->linePassword->setText(remembered);
    ui->checkSavePassword->setChecked(!remembered.isEmpty());
}

passwordCalfile::~passwordCalfile() {
    delete ui;
}

bool passwordCalfile::ask(QWidget *parent) {
    passwordCalfile dialog(parent);
    if (isFactoryMode()) {
        dialog.ui->checkSavePassword->setChecked(true);
        dialog.ui->linePassword->setText(QLatin1String(profiles::profilePassword));
        return dialog.check();
    }
    return dialog.exec() == QDialog::Accepted;
}

bool passwordCalfile::check() {
    const bool right = profiles::checkPassword(appSettings(), ui->linePassword->text(),
                                               ui->checkSavePassword->isChecked());
    if (right) {
        accept();
        return true;
    }
    dialogs().critical(this, QStringLiteral("Saving Cal File"),
                       QStringLiteral("Password Incorrect. You must use the correct password to "
                                      "save a Cal File."));
    return false;
}

void passwordCalfile::on_buttonBox_clicked(QAbstractButton *button) {
    if (ui->buttonBox->buttonRole(button) == QDialogButtonBox::AcceptRole)
        check();
    else
        reject();
}
