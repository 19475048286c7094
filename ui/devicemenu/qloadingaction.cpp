#include "qloadingaction.h"

QLoadingAction::QLoadingAction(const QString &text, QObject *parent) : QAction(text, parent) {
    connect(&m_spinner, &BusySpinner::iconChanged, this, &QAction::setIcon);
}
