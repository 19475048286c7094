#pragma once
// The PR-650's wire format as plain functions over text: commands with the
// reply length and time limit each needs, the "00" status and the "M2"
// measurement reply. No I/O.

#include "serialcommand.h"

#include <QString>

namespace pr650 {

using Command = SerialCommand;

// Sent twice after the remote-mode pulse; the first reply is ignored.
constexpr Command remoteMode{"S01,,,,,,,1", 4, 1};
constexpr Command readSerialNumber{"D110", 10, 4};
constexpr Command readModel{"D111", 8, 4};
constexpr Command measureXYZ{"M2", 28, 30};

// The reply's status is "00".
bool isOk(const QString &reply);
// The whole reply, trimmed (serial number and model replies).
QString text(const QString &reply);
// Fields 2, 3 and 4 (cut at commas) of an "00" reply to "M2".
bool parseXYZ(const QString &reply, double xyz[3]);

} // namespace pr650
