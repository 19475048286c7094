#pragma once
// Broadcast (16-235) or PC (0-255) video range of the shared gamut settings.

#include <QWidget>

class QRadioButton;

class QRadioVideoMode : public QWidget {
    Q_OBJECT
public:
    explicit QRadioVideoMode(QWidget *parent = nullptr);

    QRadioButton *broadcastButton() const { return m_broadcast; }
    QRadioButton *pcButton() const { return m_pc; }

public slots:
    void broadcastClicked();
    void pcVideoClicked();
    void updateMode();

private:
    QRadioButton *m_broadcast;
    QRadioButton *m_pc;
};
