#include "colorspacecombo.h"

#include "chromagamutspec.h"

#include <QSignalBlocker>

ColorSpaceCombo::ColorSpaceCombo(QWidget *parent) : QComboBox(parent) {
    ChromaGamutSpec *spec = ChromaGamutSpec::instance();
    GamutListChanged();
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ColorSpaceCombo::currentColorChanged);
    connect(spec, &ChromaGamutSpec::CurrentGamutChanged, this, &ColorSpaceCombo::GamutChanged);
    connect(spec, &ChromaGamutSpec::GamutSpecsListChanged, this,
            &ColorSpaceCombo::GamutListChanged);
}

void ColorSpaceCombo::currentColorChanged(int index) {
    if (index >= 0)
        ChromaGamutSpec::instance()->setCurrentGamut(index);
}

void ColorSpaceCombo::GamutChanged() {
    const QSignalBlocker blocker(this);
    setCurrentIndex(ChromaGamutSpec::instance()->currentGamutIndex());
}

void ColorSpaceCombo::GamutListChanged() {
    const QSignalBlocker blocker(this);
    clear();
    addItems(ChromaGamutSpec::instance()->gamutNames());
    setCurrentIndex(ChromaGamutSpec::instance()->currentGamutIndex());
}
