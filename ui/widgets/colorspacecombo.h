#pragma once
// Lists every gamut standard (built-ins first) and edits the current one of
// the shared gamut settings, following changes made anywhere else.

#include <QComboBox>

class ColorSpaceCombo : public QComboBox {
    Q_OBJECT
public:
    explicit ColorSpaceCombo(QWidget *parent = nullptr);

public slots:
    void currentColorChanged(int index);
    void GamutChanged();
    void GamutListChanged();
};
