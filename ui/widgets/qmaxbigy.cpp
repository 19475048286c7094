#include "qmaxbigy.h"

#include "appsettings.h"
#include "chromagamutspec.h"
#include "measurement.h"
#include "qlineeditviewchange.h"

#include <QHBoxLayout>
#include <QPushButton>

QMaxBigY::QMaxBigY(QWidget *parent)
    : QWidget(parent), m_field(new QLineEditViewChange(this)),
      m_button(new QPushButton(tr("Update Max Y"), this)) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_button);
    updateMaxBigY();
    connect(m_button, &QPushButton::clicked, this, &QMaxBigY::buttonClicked);
    connect(m_field, &QLineEdit::returnPressed, this, &QMaxBigY::buttonClicked);
    connect(ChromaGamutSpec::instance(), &ChromaGamutSpec::MaxBigYChanged, this,
            &QMaxBigY::updateMaxBigY);
}

QString QMaxBigY::displayText(double maxBigYNits, bool nits) {
    if (nits)
        return QStringLiteral("%1 nits").arg(maxBigYNits);
    return QStringLiteral("%1 fL").arg(nitsToFootLamberts(maxBigYNits));
}

void QMaxBigY::buttonClicked() {
    QString text = m_field->text();
    text.remove(QRegExp(QStringLiteral("[^0-9.]")));
    bool ok = false;
    double value = text.toDouble(&ok);
    if (!ok)
        return;
    if (!isNits())
        value = footLambertsToNits(value);
    ChromaGamutSpec::instance()->setMaxBigY(value);
    // Also shows the stored value again when the entry was refused or equal.
    updateMaxBigY();
}

void QMaxBigY::updateMaxBigY() {
    m_field->setText(displayText(ChromaGamutSpec::instance()->maxBigY(), isNits()));
    m_field->reset();
}
