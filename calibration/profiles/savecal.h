#pragma once
// Stores a newly computed profile into a slot of the colorimeter: the slot
// and name are chosen from the instrument's list (an occupied slot asks
// before it is overwritten), the password is asked, and on success the
// instrument switches to the new profile and Closed() is emitted. Created for
// one store; deletes itself when closed.

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

signals:
    void Closed();

private slots:
    void on_pushSave_clicked();
    void on_pushCancel_clicked();
    void on_listWidget_itemSelectionChanged();

private:
    // False when the store was not made (refused, cancelled or failed).
    bool save();

    Ui::SaveCal *ui;
    QPointer<GenMeasure> m_device;
    bool m_slotGiven;
    QStringList m_entries;
    QVector<double> m_reference, m_measured, m_black;
};
