#pragma once
// Switches the colorimeter to another of its profiles, or deletes one (after
// a confirmation and the password). Shows the list as it was when opened,
// the profile in use selected and in bold. The instrument is talked to off
// the GUI thread (a deletion rewrites a record and reads the whole list
// back, seconds at the instrument's speed); the window waits meanwhile.

#include "qmemorymainwindow.h"

#include <QFutureWatcher>
#include <QPointer>

#include <functional>

class GenMeasure;
class QListWidgetItem;

namespace Ui {
class CalSelect;
}

class CalSelect : public QMemoryMainWindow {
    Q_OBJECT
public:
    explicit CalSelect(GenMeasure *device, QWidget *parent = nullptr);
    ~CalSelect() override;

    void refill();
    // Marks the profile in use.
    void showCurrent();
    // A selection or deletion is under way.
    bool isBusy() const { return m_busy; }

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pushSelect_clicked();
    void on_pushDelete_clicked();
    void on_listCal_itemDoubleClicked(QListWidgetItem *item);

private:
    void select(const QListWidgetItem *item);
    void run(const QString &doing, std::function<int(GenMeasure *)> work);
    void setBusy(const QString &doing);
    void workFinished();

    Ui::CalSelect *ui;
    QPointer<GenMeasure> m_device;
    QFutureWatcher<int> m_work;
    bool m_busy = false; // until the result is shown, not just until the work ends
    bool m_deleting = false;
};
