#include "qradiovideomode.h"

#include "chromagamutspec.h"

#include <QHBoxLayout>
#include <QRadioButton>

QRadioVideoMode::QRadioVideoMode(QWidget *parent)
    : QWidget(parent), m_broadcast(new QRadioButton(tr("Broadcast (16-235)"), this)),
      m_pc(new QRadioButton(tr("PC (0-255)"), this)) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_broadcast);
    layout->addWidget(m_pc);
    layout->addStretch();
    updateMode();
    connect(m_broadcast, &QRadioButton::clicked, this, &QRadioVideoMode::broadcastClicked);
    connect(m_pc, &QRadioButton::clicked, this, &QRadioVideoMode::pcVideoClicked);
    connect(ChromaGamutSpec::instance(), &ChromaGamutSpec::videoModeChanged, this,
            &QRadioVideoMode::updateMode);
}

void QRadioVideoMode::broadcastClicked() {
    ChromaGamutSpec::instance()->setVideoMode(16, 235);
}

void QRadioVideoMode::pcVideoClicked() {
    ChromaGamutSpec::instance()->setVideoMode(0, 255);
}

void QRadioVideoMode::updateMode() {
    const ChromaGamutSpec *spec = ChromaGamutSpec::instance();
    const bool broadcast = spec->videoMin() == 16 && spec->videoMax() == 235;
    const bool pc = spec->videoMin() == 0 && spec->videoMax() == 255;
    // Auto-exclusive buttons cannot both be cleared, as another range needs.
    m_broadcast->setAutoExclusive(false);
    m_pc->setAutoExclusive(false);
    m_broadcast->setChecked(broadcast);
    m_pc->setChecked(pc);
    m_broadcast->setAutoExclusive(true);
    m_pc->setAutoExclusive(true);
}
