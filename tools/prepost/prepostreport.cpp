#include "prepostreport.h"

#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "qpatternmanger.h"
#include "qportmenu.h"
#include "reports.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

PrePostReport::PrePostReport(QPortMenu *linkTo, QWidget *parent)
    : QMemoryMainWindow(QStringLiteral("prepostreport"), parent) {
    setWindowTitle(QStringLiteral("Pre/Post Calibration Report"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    // The page on the left, the generator panel that measures it beside it.
    auto *splitter = new QSplitter(Qt::Horizontal, central);
    m_page = new Reports(splitter);
    auto *lower = new QWidget(splitter);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    m_measure = new QPushButton(QStringLiteral("Measure Patch Set"), lower);
    m_measure->setObjectName(QStringLiteral("pushMeasure"));
    m_measure->setToolTip(QStringLiteral("Shows each patch of the set on the pattern generator "
                                         "and measures it with the colorimeter; save the "
                                         "measured set as a pre or post file"));
    row->addWidget(m_measure);
    row->addStretch();
    lowerLayout->addLayout(row);
    m_patterns = new QPatternManger(lower);
    m_patterns->setObjectName(QStringLiteral("patternManager"));
    lowerLayout->addWidget(m_patterns);
    splitter->addWidget(m_page);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({720, 480});
    layout->addWidget(splitter);
    setCentralWidget(central);
    resize(1220, 780);

    m_menu = QPortMenu::addColorimeterMenu(menuBar());
    m_device = m_menu->device();
    connect(m_device, &GenDevice::connected, this, &PrePostReport::updateButtons);
    connect(m_device, &GenDevice::closed, this, &PrePostReport::updateButtons);
    connect(m_measure, &QPushButton::clicked, this, &PrePostReport::on_pushMeasure_clicked);
    // Every patch reaches the page as it is measured.
    connect(m_patterns, &QPatternManger::Measured, this,
            [this](const Measurement &m, QPatternManger::measureDevice tag, int index) {
                m_page->measureDone(m, tag, index);
            });
    connect(m_patterns, qOverload<bool>(&QPatternManger::isRunning), this,
            &PrePostReport::updateButtons);
    connect(m_patterns, &QPatternManger::runEnded, this, [this](const QString &summary) {
        statusBar()->showMessage(summary + QStringLiteral(": save the set with Save"));
    });
    if (linkTo)
        m_menu->linkTo(linkTo);
    updateButtons();
}

PrePostReport::~PrePostReport() {
    m_patterns->abort();
}

void PrePostReport::updateButtons() {
    m_measure->setEnabled(m_menu->currentDevice() && !m_patterns->isRunning());
}

void PrePostReport::on_pushMeasure_clicked() {
    const QString title = QStringLiteral("Start Run");
    GenMeasure *device = m_menu->currentDevice();
    if (!device) {
        dialogs().warning(this, title, QStringLiteral("You must have a Torva Device hooked up."));
        return;
    }
    m_page->updatePatches(); // a fresh set: the readings of the last run go
    if (m_page->patches().isEmpty()) {
        dialogs().warning(this, title,
                          QStringLiteral("Choose Gray Scale or Primaries and Secondaries to "
                                         "make a patch set."));
        return;
    }
    QList<QColor> colours;
    for (const ColorPatch &p : m_page->patches())
        colours << p.color;
    m_patterns->setColors(colours);
    m_patterns->start(device, QPatternManger::TorvaRun);
}

void PrePostReport::closeEvent(QCloseEvent *event) {
    m_patterns->abort();
    QMemoryMainWindow::closeEvent(event);
}
