#include "qgammacombo.h"

#include "chromagamutspec.h"

#include <QSignalBlocker>
#include <QtGlobal>

QGammaCombo::QGammaCombo(QWidget *parent) : QComboBox(parent) {
    // Counted in tenths: adding 0.1 repeatedly in floating point would
    // still be below 2.7 after 2.6 and give a tenth entry.
    for (int i = 0; i < entryCount; ++i)
        addItem(QString::number(gammaOfEntry(i), 'f', 1));
    updateCombo();
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QGammaCombo::indexChanged);
    connect(ChromaGamutSpec::instance(), &ChromaGamutSpec::gammaChanged, this,
            &QGammaCombo::updateCombo);
}

double QGammaCombo::gammaOfEntry(int index) {
    return (18 + index) / 10.0;
}

void QGammaCombo::indexChanged(int index) {
    if (index >= 0)
        ChromaGamutSpec::instance()->setGamma(gammaOfEntry(index));
}

void QGammaCombo::updateCombo() {
    const QSignalBlocker blocker(this);
    const double steps = (ChromaGamutSpec::instance()->gamma() - 1.8) / 0.1;
    setCurrentIndex(qBound(0, qRound(steps), entryCount - 1));
}
