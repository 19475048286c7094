#pragma once
// Gamma from 1.8 to 2.6 in steps of 0.1, kept in step with the shared
// gamut settings.

#include <QComboBox>

class QGammaCombo : public QComboBox {
    Q_OBJECT
public:
    explicit QGammaCombo(QWidget *parent = nullptr);

    static constexpr int entryCount = 9;
    static double gammaOfEntry(int index);

public slots:
    void indexChanged(int index);
    void updateCombo();
};
