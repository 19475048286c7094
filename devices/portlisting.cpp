#include "portlisting.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

PortSelection selectPorts(const QList<SerialPortEntry> &enumerated, const QStringList &extra,
                          const BusyTest &isBusy) {
    PortSelection out;
    QStringList namesSeen;
    QStringList listed;
    auto take = [&](const QString &location, bool busyAlready) {
        listed.append(location);
        if (!busyAlready && !isBusy(location)) {
            out.toProbe.append(location);
            return;
        }
        ConnectionInfo busy;
        busy.port = location;
        busy.connected = true;
        busy.type = BusyPort;
        out.busy.append(busy);
    };
    for (const SerialPortEntry &p : enumerated) {
        if (listed.contains(p.systemLocation))
            continue; // listed twice: two probes of one port would fight over it
        QString name = p.portName;
        if (name.contains(QLatin1Char('.')))
            name = name.split(QLatin1Char('.')).value(1);
        if (namesSeen.contains(name))
            continue;
        namesSeen.append(p.portName.mid(3));
        take(p.systemLocation, p.busy);
    }
    for (const QString &path : extra) {
        if (listed.contains(path) || !QFileInfo::exists(path))
            continue;
        take(path, false);
    }
    return out;
}

QStringList parseExtraPorts(const QString &value) {
#ifdef _WIN32
    const QChar separator = QLatin1Char(';');
#else
    const QChar separator = QLatin1Char(':');
#endif
    return value.split(separator, Qt::SkipEmptyParts);
}

QStringList extraPorts() {
    return parseExtraPorts(qEnvironmentVariable(extraPortsVariable));
}

QList<SerialPortEntry> enumerateSerialPorts() {
    QList<SerialPortEntry> out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        out.append({info.portName(), info.systemLocation(), info.isBusy()});
    return out;
}

bool portIsHeld(const QString &systemLocation) {
#ifdef _WIN32
    (void)systemLocation; // the enumeration's test opens the port there
    return false;
#else
    // Our serial transport takes an exclusive flock on every port it opens;
    // a port opened with TIOCEXCL refuses a second open with EBUSY.
    const QByteArray path = QFile::encodeName(systemLocation);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!locked)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    return locked;
#endif
}
