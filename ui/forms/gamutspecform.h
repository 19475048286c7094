#pragma once
// Lists the gamut standards and white offsets and lets the user add and
// remove their own; the built-in ones are protected.

#include <QDialog>

namespace Ui {
class gamutSpecForm;
}

class ChromaGamutSpec;

class gamutSpecForm : public QDialog {
    Q_OBJECT
public:
    explicit gamutSpecForm(QWidget *parent = nullptr);
    ~gamutSpecForm() override;

    static QString offSetText(const QString &name, double dx, double dy);

public slots:
    void offSetChanged();
    void updateList();
    void updateOffSets();

private slots:
    void on_pushClose_clicked();
    void on_pushAddWhite_clicked();
    void on_pushAddGamut_clicked();
    void on_pushRemoveOffSet_clicked();
    void on_pushRemoveGamutSpec_clicked();
    void updateRemoveButtons();
    void updateCurves();
    void on_comboSdrCurve_activated(int index);
    void on_spinBlack_editingFinished();
    void on_spinHdrPeak_editingFinished();
    void on_comboRollOff_activated(int index);

private:
    void fitTableToContents();

    Ui::gamutSpecForm *ui;
    ChromaGamutSpec *m_spec;
};
