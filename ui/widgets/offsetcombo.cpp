#include "offsetcombo.h"

#include "chromagamutspec.h"

#include <QSignalBlocker>

OffSetCombo::OffSetCombo(QWidget *parent) : QComboBox(parent) {
    ChromaGamutSpec *spec = ChromaGamutSpec::instance();
    OffSetListChanged();
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &OffSetCombo::indexChanged);
    connect(spec, &ChromaGamutSpec::CurrentOffSetChanged, this, &OffSetCombo::currentOffSetChanged);
    connect(spec, &ChromaGamutSpec::OffSetListChanged, this, &OffSetCombo::OffSetListChanged);
}

void OffSetCombo::indexChanged(int index) {
    if (index >= 0)
        ChromaGamutSpec::instance()->setCurrentOffSet(index);
}

void OffSetCombo::currentOffSetChanged() {
    const QSignalBlocker blocker(this);
    setCurrentIndex(ChromaGamutSpec::instance()->currentOffSetIndex());
}

void OffSetCombo::OffSetListChanged() {
    const QSignalBlocker blocker(this);
    clear();
    for (const WhiteOffSet &offSet : ChromaGamutSpec::instance()->offSets())
        addItem(offSet.name);
    setCurrentIndex(ChromaGamutSpec::instance()->currentOffSetIndex());
}
