#include "savecal.h"

#include "appsettings.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "passwordcalfile.h"
#include "profilerules.h"
#include "profilestore.h"
#include "ui_savecal.h"
#include "windowplacement.h"

#include <QCloseEvent>
#include <QtConcurrent>

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
    connect(&m_store, &QFutureWatcher<int>::finished, this, &SaveCal::storeFinished);
}

SaveCal::~SaveCal() {
    m_store.waitForFinished();
    delete ui;
}

void SaveCal::open() {
    placement::centreOverParent(this);
    if (isFactoryMode() && m_slotGiven) {
        m_showWhenFailed = true;
        if (save())
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
    save();
}

void SaveCal::closeEvent(QCloseEvent *event) {
    // The instrument is being written: the window waits for the result.
    if (isStoring()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void SaveCal::setStoring(bool storing) {
    m_storing = storing;
    ui->pushSave->setEnabled(!storing);
    ui->pushCancel->setEnabled(!storing);
    ui->listWidget->setEnabled(!storing);
    ui->spinSlot->setEnabled(!storing);
    ui->lineName->setEnabled(!storing);
    ui->labelStoring->setText(storing ? QStringLiteral("Storing the profile in the instrument...")
                                      : QString());
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
    setStoring(true);
    // The device is not used by this window until the store is over.
    GenMeasure *device = m_device;
    const QVector<double> reference = m_reference, measured = m_measured, black = m_black;
    m_store.setFuture(QtConcurrent::run([=] {
        return profiles::storeProfile(device, slot, name, reference, measured, black, factory);
    }));
    return true;
}

void SaveCal::storeFinished() {
    setStoring(false);
    if (m_store.result() != 0) {
        if (m_showWhenFailed && !isVisible())
            show();
        dialogs().critical(this, QLatin1String(title),
                           QStringLiteral("An Error Occurred. Cal File not Saved."));
        return;
    }
    emit Closed();
    close();
}
