#pragma once
// The dialog that creates colour patches for the batch: target colours at an
// IRE level, a ten-step IRE ramp, or a custom colour. The video range is the
// shared one, chosen on the dialog's own "Video Range:" selector.

#include "batchfile.h"

#include <QDialog>

namespace Ui {
class NewColors;
}

class NewColors : public QDialog {
    Q_OBJECT
public:
    explicit NewColors(QWidget *parent = nullptr);
    ~NewColors() override;

    // The patches of the accepted tab.
    const QList<ColorPatch> &patches() const { return m_patches; }
    // The range the dialog works in.
    int low() const;
    int high() const;
    bool customOutOfRange() const;

public slots:
    void on_pushColorAccept_clicked();
    void on_pushTargetAccept_clicked();
    void on_push10PointAccept_clicked();
    void on_pushCancel_clicked();
    void on_pushSelectColor_clicked();
    void spinValueChanged(int value);

private:
    Ui::NewColors *ui;
    QList<ColorPatch> m_patches;
};
