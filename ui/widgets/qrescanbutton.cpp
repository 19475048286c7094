#include "qrescanbutton.h"

QRescanButton::QRescanButton(QWidget *parent) : QPushButton(parent) {
    connect(&m_spinner, &BusySpinner::iconChanged, this, &QPushButton::setIcon);
}
