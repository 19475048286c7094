#include "about.h"
#include "ui_about.h"

#include "tintwellresources.h"

#include <QCoreApplication>
#include <QPixmap>

About::About(QWidget *parent) : QDialog(parent), ui(new Ui::About) {
    ui->setupUi(this);
    initTintwellResources();
    const QPixmap logo(QStringLiteral(":/images/logo.png"));
    ui->labelLogo->setPixmap(logo.scaledToWidth(360, Qt::SmoothTransformation));
    updateNotice();
}

About::~About() {
    delete ui;
}

void About::setLinkColor(const QColor &colour) {
    if (!colour.isValid() || colour == m_linkColor)
        return;
    m_linkColor = colour;
    updateNotice();
}

QString About::noticeText() const {
    return ui->labelNotice->text();
}

void About::updateNotice() {
    const QString link = m_linkColor.name();
    auto a = [&](const QString &url, const QString &text) {
        return QStringLiteral("<a style=\"color:%1\" href=\"%2\">%3</a>").arg(link, url, text);
    };
    const QString text =
        QStringLiteral("<p><b>Torva Tintwell %1</b><br>Light and colour measurement of displays "
                       "and light sources.</p>"
                       "<p>Copyright &copy; Torva Instruments. All rights reserved.</p>"
                       "<p>This program uses the Qt %2 libraries (Core, Gui, Widgets, Network, "
                       "Serial Port, Concurrent, Print Support), used under the GNU Lesser "
                       "General Public License version 3 (%3). Their source code is available "
                       "from %4. You may replace them with a modified version of your own.</p>")
            .arg(QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion()),
                 a(QStringLiteral("https://www.gnu.org/licenses/lgpl-3.0.html"),
                   QStringLiteral("LGPL-3.0")),
                 a(QStringLiteral("https://download.qt.io/archive/qt/"),
                   QStringLiteral("download.qt.io")));
    ui->labelNotice->setText(text);
}

void About::on_buttonBox_accepted() {
    accept();
}
