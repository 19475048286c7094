#include "calselect.h"

#include "dialogs.h"
#include "genmeasure.h"
#include "passwordcalfile.h"
#include "profilerules.h"
#include "ui_calselect.h"

#include <QCloseEvent>
#include <QStatusBar>
#include <QtConcurrent>

CalSelect::CalSelect(GenMeasure *device, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("calselect"), parent), ui(new Ui::CalSelect),
      m_device(device) {
    ui->setupUi(this);
    if (m_device)
        connect(m_device, &GenMeasure::calfileChanged, this, &CalSelect::showCurrent);
    connect(&m_work, &QFutureWatcher<int>::finished, this, &CalSelect::workFinished);
    statusBar(); // made now, so the list does not jump when the first change is shown
    refill();
}

CalSelect::~CalSelect() {
    m_work.waitForFinished();
    delete ui;
}

void CalSelect::closeEvent(QCloseEvent *event) {
    // The instrument is being changed: the window waits for the result.
    if (isBusy()) {
        event->ignore();
        return;
    }
    QMemoryMainWindow::closeEvent(event);
}

void CalSelect::run(const QString &doing, std::function<int(GenMeasure *)> work) {
    setBusy(doing);
    GenMeasure *device = m_device;
    m_work.setFuture(QtConcurrent::run([device, work] { return work(device); }));
}

void CalSelect::setBusy(const QString &doing) {
    const bool busy = !doing.isEmpty();
    m_busy = busy;
    ui->listCal->setEnabled(!busy);
    ui->pushSelect->setEnabled(!busy);
    ui->pushDelete->setEnabled(!busy);
    if (busy)
        statusBar()->showMessage(doing);
    else
        statusBar()->clearMessage();
}

void CalSelect::workFinished() {
    setBusy(QString());
    const bool deleted = m_deleting;
    m_deleting = false;
    if (!deleted) {
        showCurrent();
        return;
    }
    if (m_work.result() == 0)
        refill();
    else
        dialogs().critical(this, QStringLiteral("Error DeleteCal"),
                           QStringLiteral("There was an error on deleting the Profile"));
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
    if (!ok || isBusy())
        return;
    run(QStringLiteral("Changing to profile %1...").arg(slot), [slot](GenMeasure *device) {
        device->setCalFile(slot);
        return 0;
    });
}

void CalSelect::on_pushSelect_clicked() {
    select(ui->listCal->currentItem());
}

void CalSelect::on_listCal_itemDoubleClicked(QListWidgetItem *item) {
    select(item);
}

void CalSelect::on_pushDelete_clicked() {
    const QListWidgetItem *item = ui->listCal->currentItem();
    if (!item || !m_device || !item->isSelected() || isBusy())
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
    m_deleting = true;
    run(QStringLiteral("Deleting profile %1...").arg(slot),
        [slot](GenMeasure *device) { return device->deleteCalFile(slot); });
}
