#include "calselect.h"

#include "dialogs.h"
#include "genmeasure.h"
#include "passwordcalfile.h"
#include "profilerules.h"
#include "ui_calselect.h"

CalSelect::CalSelect(GenMeasure *device, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("calselect"), parent), ui(new Ui::CalSelect),
      m_device(device) {
    ui->setupUi(this);
    if (m_device)
        connect(m_device, &GenMeasure::calfileChanged, this, &CalSelect::showCurrent);
    refill();
}

CalSelect::~CalSelect() {
    delete ui;
}

void CalSelect::refill() {
    ui->listCal->clear();
    if (m_device)
        ui->listCal->addItems(profiles::listedEntries(m_device->calFileList()));
    showCurrent();
}

void CalSelect::showCurrent() {
    // The profile in use: selected, in bold, and scrolled to.
    const int current = m_device ? m_device->calFileIndex() : -1;
    for (int row = 0; row < ui->listCal->count(); ++row) {
        QListWidgetItem *item = ui->listCal->item(row);
        bool ok = false;
        const bool inUse = profiles::entrySlot(item->text(), &ok) == current && ok;
        QFont f = item->font();
        f.setBold(inUse);
        item->setFont(f);
        if (inUse) {
            ui->listCal->setCurrentItem(item);
            ui->listCal->scrollToItem(item);
        }
    }
}

void CalSelect::select(const QListWidgetItem *item) {
    if (!item || !m_device)
        return;
    bool ok = false;
    const int slot = profiles::entrySlot(item->text(), &ok);
    if (ok)
        m_device->setCalFile(slot);
}

void CalSelect::on_pushSelect_clicked() {
    select(ui->listCal->currentItem());
}

void CalSelect::on_listCal_itemDoubleClicked(QListWidgetItem *item) {
    select(item);
}

void CalSelect::on_pushDelete_clicked() {
    const QListWidgetItem *item = ui->listCal->currentItem();
    if (!item || !m_device || !item->isSelected())
        return;
    bool ok = false;
    const int slot = profiles::entrySlot(item->text(), &ok);
    if (!ok)
        return;
    if (dialogs().warning(
            this, QStringLiteral("Delete Cal File"),
            QStringLiteral("Are you sure you want to delete '%1' file?").arg(item->text()),
            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!passwordCalfile::ask(this))
        return;
    if (m_device->deleteCalFile(slot) == 0)
        refill();
    else
        dialogs().critical(this, QStringLiteral("Error DeleteCal"),
                           QStringLiteral("There was an error on deleting the Profile"));
}
