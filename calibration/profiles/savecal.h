#pragma once
// Stores a newly computed profile into a slot of the colorimeter: the slot
// and name are chosen from the instrument's list (an occupied slot asks
// before it is overwritten), the password is asked, and on success the
// instrument switches to the new profile, Closed() is emitted and the window
// closes. The store itself, several exchanges with the instrument, runs on a
// pool thread; the window waits for it with its buttons off. Created for one
// store; deletes itself when closed.

#include <QFutureWatcher>
#include <QPointer>
#include <QVector>
#include <QWidget>

class GenMeasure;

namespace Ui {
class SaveCal;
}

class SaveCal : public QWidget {
    Q_OBJECT
public:
    // slot -1: none given (the first blank slot is proposed). reference and
    // measured: twelve numbers each; black: three or none.
    SaveCal(GenMeasure *device, int slot, const QString &name, const QVector<double> &reference,
            const QVector<double> &measured, const QVector<double> &black,
            QWidget *parent = nullptr);
    ~SaveCal() override;

    // Shows the window; in factory mode with a slot given it saves at once
    // without showing it.
    void open();
    // A store was started and its result has not been taken yet.
    bool isStoring() const { return m_storing; }

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_pushSave_clicked();
    void on_pushCancel_clicked();
    void on_listWidget_itemSelectionChanged();
    void storeFinished();

private:
    // Asks what must be asked and starts the store; false when it was
    // refused or cancelled before anything reached the instrument.
    bool save();
    void setStoring(bool storing);

    Ui::SaveCal *ui;
    QPointer<GenMeasure> m_device;
    bool m_slotGiven;
    QStringList m_entries;
    QVector<double> m_reference, m_measured, m_black;
    QFutureWatcher<int> m_store;
    bool m_storing = false;
    bool m_showWhenFailed = false; // factory mode stores before showing
};
