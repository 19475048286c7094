#pragma once
// Lists the white offsets (built-ins first) and edits the current one of the
// shared gamut settings, following changes made anywhere else.

#include <QComboBox>

class OffSetCombo : public QComboBox {
    Q_OBJECT
public:
    explicit OffSetCombo(QWidget *parent = nullptr);

public slots:
    void indexChanged(int index);
    void currentOffSetChanged();
    void OffSetListChanged();
};
