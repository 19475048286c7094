#pragma once
// Edits the maximum luminance Y of the shared gamut settings in the unit the
// user has chosen (nits or foot-lamberts).

#include <QWidget>

class QLineEditViewChange;
class QPushButton;

class QMaxBigY : public QWidget {
    Q_OBJECT
public:
    explicit QMaxBigY(QWidget *parent = nullptr);

    QLineEditViewChange *field() const { return m_field; }
    QPushButton *button() const { return m_button; }

    // "100 nits", or the value in foot-lamberts with "fL".
    static QString displayText(double maxBigYNits, bool nits);

public slots:
    void buttonClicked();
    void updateMaxBigY();

private:
    QLineEditViewChange *m_field;
    QPushButton *m_button;
};
