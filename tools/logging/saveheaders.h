#pragma once
// Which groups of quantities a log should contain: ten check boxes and
// "Check All", remembered as ten flags under "saveHeaders/headersSave".

#include <QDialog>
#include <QList>

namespace Ui {
class saveHeaders;
}
class QCheckBox;

class saveHeaders : public QDialog {
    Q_OBJECT
public:
    // The groups, in the order of the stored flags.
    enum Group { XY, UV, BigY, BigXZ, Temperature, Nanometers, RGB, HSV, Lab, LCh };
    static constexpr int groupCount = 10;

    explicit saveHeaders(QWidget *parent = nullptr);
    ~saveHeaders() override;

    QList<bool> flags() const;
    void setFlags(const QList<bool> &flags);

    // The stored flags; a stored list of any other length reads as ten false.
    static QList<bool> storedFlags();
    // Runs the dialog; OK stores and returns the choice, Cancel returns the
    // stored flags unchanged.
    static QList<bool> getHeaders(QWidget *parent, bool *accepted = nullptr);

public slots:
    void accept() override;

private slots:
    void on_checkAll_clicked(bool checked);
    void updateCheckAll();

private:
    QList<QCheckBox *> boxes() const;

    Ui::saveHeaders *ui;
};
