#pragma once
// Asks for the password that guards every change to the instrument's
// profile list. Accepted means the password was right; a wrong one leaves
// the dialog open for another try.

#include <QDialog>

class QAbstractButton;

namespace Ui {
class passwordCalfile;
}

class passwordCalfile : public QDialog {
    Q_OBJECT
public:
    explicit passwordCalfile(QWidget *parent = nullptr);
    ~passwordCalfile() override;

    // Shows the dialog (in factory mode the check runs at once, unseen);
    // true when the right password was given.
    static bool ask(QWidget *parent);

private slots:
    void on_buttonBox_clicked(QAbstractButton *button);

private:
    bool check();

    Ui::passwordCalfile *ui;
};
