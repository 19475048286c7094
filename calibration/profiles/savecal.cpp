#include "savecal.h"

#include "appsettings.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "passwordcalfile.h"
#include "profilerules.h"
#include "profilestore.h"
#include "ui_savecal.h"
#include "windowplacement.h"

namespace {
const char *const title = "Saving Cal File";
}

SaveCal::SaveCal(GenMeasure *device, int slot, const QString &name,
                 const QVector<double> &reference, const QVector<double> &measured,
                 const QVector<double> &black, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::SaveCal), m_device(device), m_slotGiven(slot >= 0),
      m_reference(reference), m_measured(measured), m_black(black) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    if (m_device)
        m_entries = m_device->calFileList();
    ui->listWidget->addItems(profiles::listedEntries(m_entries));
    const int proposed =
        m_slotGiven ? slot : profiles::firstBlankSlot(profiles::listedEntries(m_entries));
    if (proposed >= 0)
        ui->spinSlot->setValue(proposed);
    ui->lineName->setText(name);
}

SaveCal::~SaveCal() {
    delete ui;
}

void SaveCal::open() {
    placement::centreOverParent(this);
    if (isFactoryMode() && m_slotGiven) {
        if (save())
            close();
        else
            show();
        return;
    }
    show();
    placement::keepOnScreenWhenFramed(this);
}

void SaveCal::on_listWidget_itemSelectionChanged() {
    const QList<QListWidgetItem *> items = ui->listWidget->selectedItems();
    if (items.isEmpty())
        return;
    bool ok = false;
    const int slot = profiles::entrySlot(items.first()->text(), &ok);
    if (!ok)
        return;
    ui->spinSlot->setValue(slot);
    ui->lineName->setText(profiles::entryName(items.first()->text()));
}

void SaveCal::on_pushCancel_clicked() {
    close();
}

void SaveCal::on_pushSave_clicked() {
    if (save())
        close();
}

bool SaveCal::save() {
    const QString name = ui->lineName->text().simplified();
    if (profiles::isBlankName(name)) {
        dialogs().critical(this, QLatin1String(title), QStringLiteral("File name cannot be blank"));
        return false;
    }
    const int slot = ui->spinSlot->value();
    const bool factory = isFactoryMode();
    if (!factory) {
        // Judged on the whole list: a slot past the listed ones may hold a profile too.
        const QString entry = profiles::entryForSlot(m_entries, slot);
        if (!profiles::isBlankName(profiles::entryName(entry)) &&
            dialogs().warning(this, QLatin1String(title),
                              QStringLiteral("You've selected an existing cal file. Overwrite?"),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return false;
        if (!passwordCalfile::ask(this))
            return false;
    }
    ui->lineName->setText(name);
    const int result =
        profiles::storeProfile(m_device, slot, name, m_reference, m_measured, m_black, factory);
    if (result != 0) {
        dialogs().critical(this, QLatin1String(title),
                           QStringLiteral("An Error Occurred. Cal File not Saved."));
        return false;
    }
    emit Closed();
    return true;
}
