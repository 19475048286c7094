#include "helpviewer.h"

#include "windowplacement.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The help resource lives in this static library; without an explicit
// reference the linker would drop its registration.
static void initHelpResource() {
    Q_INIT_RESOURCE(help);
}

const char *const HelpViewer::pageUrl = "qrc:/help/index.html";

HelpViewer::HelpViewer(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this)) {
    initHelpResource();
    setWindowTitle(QStringLiteral("Tintwell Help"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(QUrl(QString::fromLatin1(pageUrl)));
    layout->addWidget(m_browser);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(760, 640);
}

void HelpViewer::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    placement::keepOnScreenWhenFramed(this);
}
