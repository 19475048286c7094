#include "qlineeditviewchange.h"

#include <QStyle>

const char *const QLineEditViewChange::changedStyle = "background-color:#604848";

QLineEditViewChange::QLineEditViewChange(QWidget *parent) : QLineEdit(parent) {
    setProperty("changed", false);
    connect(this, &QLineEdit::textChanged, this, &QLineEditViewChange::updateStyle);
}

void QLineEditViewChange::reset() {
    m_baseline = text();
    updateStyle(m_baseline);
}

void QLineEditViewChange::updateStyle(QString newvalue) {
    const bool changed = newvalue != m_baseline;
    if (changed == m_changed && styleSheet().isEmpty() == !changed)
        return;
    m_changed = changed;
    // The property lets a theme choose a readable text colour on the mark.
    setProperty("changed", changed);
    setStyleSheet(changed ? QLatin1String(changedStyle) : QString());
    style()->unpolish(this);
    style()->polish(this);
}
