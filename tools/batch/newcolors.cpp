#include "newcolors.h"
#include "ui_newcolors.h"

#include "chromagamutspec.h"
#include "displaytarget.h"
#include "newpatches.h"

#include <QColorDialog>
#include <QLayout>
#include <QStyle>
#include <QTabBar>

NewColors::NewColors(QWidget *parent) : QDialog(parent), ui(new Ui::NewColors) {
    ui->setupUi(this);
    ui->comboTarget->addItems(newpatches::targetChoices());
    ui->combo10Point->addItems(targetColourNames());
    const int icon = style()->pixelMetric(QStyle::PM_SmallIconSize);
    ui->labelWarningIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(icon, icon));
    for (QSpinBox *spin : {ui->spinRed, ui->spinGreen, ui->spinBlue})
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this,
                &NewColors::spinValueChanged);
    connect(ChromaGamutSpec::instance(), &ChromaGamutSpec::videoModeChanged, this,
            [this] { spinValueChanged(0); });
    spinValueChanged(0);
    // Wide enough for every tab's title, in any theme's font.
    QTabBar *tabs = ui->tabWidget->tabBar();
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideNone);
    setMinimumWidth(tabs->sizeHint().width() + 2 * layout()->contentsMargins().left() + 24);
}

NewColors::~NewColors() {
    delete ui;
}

int NewColors::low() const {
    return ChromaGamutSpec::instance()->videoMin();
}

int NewColors::high() const {
    return ChromaGamutSpec::instance()->videoMax();
}

bool NewColors::customOutOfRange() const {
    return newpatches::outOfRange(
        QColor(ui->spinRed->value(), ui->spinGreen->value(), ui->spinBlue->value()), low(), high());
}

void NewColors::spinValueChanged(int) {
    const bool out = customOutOfRange();
    ui->labelWarningIcon->setVisible(out);
    ui->labelWarning->setVisible(out);
}

void NewColors::on_pushTargetAccept_clicked() {
    m_patches = newpatches::targetPatches(ui->comboTarget->currentIndex(), ui->spinIRE->value(),
                                          low(), high());
    accept();
}

void NewColors::on_push10PointAccept_clicked() {
    m_patches = newpatches::tenPointPatches(ui->combo10Point->currentIndex(), low(), high());
    accept();
}

void NewColors::on_pushColorAccept_clicked() {
    m_patches = {{ui->lineName->text(),
                  QColor(ui->spinRed->value(), ui->spinGreen->value(), ui->spinBlue->value())}};
    accept();
}

void NewColors::on_pushCancel_clicked() {
    m_patches.clear();
    reject();
}

void NewColors::on_pushSelectColor_clicked() {
    const QColor current(ui->spinRed->value(), ui->spinGreen->value(), ui->spinBlue->value());
    const QColor chosen = QColorDialog::getColor(current, this, QStringLiteral("Select Color"));
    if (!chosen.isValid())
        return;
    ui->spinRed->setValue(chosen.red());
    ui->spinGreen->setValue(chosen.green());
    ui->spinBlue->setValue(chosen.blue());
}
