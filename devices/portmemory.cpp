#include "portmemory.h"

#include <QSettings>
#include <QStandardPaths>

namespace portmemory {

namespace {

QString file() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/TorvaInstruments/Tintwell/ports.ini");
}

// Port names hold '/', which settings keys take for groups.
QString key(const QString &port) {
    return QStringLiteral("kind/") +
           QString::fromLatin1(port.toUtf8().toBase64(QByteArray::Base64UrlEncoding));
}

} // namespace

QStringList probeOrder(const QString &port, const QStringList &kinds) {
    const QString last = QSettings(file(), QSettings::IniFormat).value(key(port)).toString();
    QStringList order = kinds;
    if (order.removeOne(last))
        order.prepend(last);
    return order;
}

void remember(const QString &port, const QString &kind) {
    QSettings settings(file(), QSettings::IniFormat);
    if (settings.value(key(port)).toString() != kind)
        settings.setValue(key(port), kind);
}

} // namespace portmemory
