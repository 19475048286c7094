#pragma once
// Which kind of instrument answered on each serial port last time. A scan
// probes that kind first: a port's kinds are tried one after another, each
// waiting out its silence, so starting with the one that answered before
// finds it without the others' waits. Kept in the user's cache folder
// ("ports.ini"): losing it only costs the next scan some time.

#include <QString>
#include <QStringList>

namespace portmemory {

// The kind names in the order to probe them on port: the one that answered
// there last first, the others in the order given.
QStringList probeOrder(const QString &port, const QStringList &kinds);
// A kind answered on port (thread-safe: every call uses its own settings object).
void remember(const QString &port, const QString &kind);

} // namespace portmemory
