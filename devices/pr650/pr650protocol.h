#pragma once
// The PR-650's wire format as plain functions over text: commands with the
// time each reply may take, the two-digit status, the identity replies and
// the "M2" measurement reply. Replies reach these functions without their
// line end. No I/O.

#include "serialcommand.h"

#include <QString>

namespace pr650 {

using Command = SerialCommand;

// Sent twice after the remote-mode pulse; the first reply is ignored. The
// ",1" asks for cd/m² instead of the foot-lamberts the instrument starts in.
constexpr Command remoteMode{"S01,,,,,,,1", 1000};
constexpr Command readSerialNumber{"D110", 4000};
// Answered "status,name" by the later models; a PR-650 may not know it.
constexpr Command readModel{"D111", 4000};
constexpr Command measureXYZ{"M2", 30000};
constexpr const char *modelWithoutName = "PR-650";

// The reply's status is "00".
bool isOk(const QString &reply);
// The whole reply, trimmed.
QString text(const QString &reply);
// The serial number in a reply to "D110" (plain, or after a "00" status);
// empty when the reply holds none.
QString serialNumber(const QString &reply);
// The model in a reply to "D111" when it names one ("PR-..." plain or after
// a "00" status); empty otherwise.
QString model(const QString &reply);

// Quality code 18: the instrument measured, but the light was low.
constexpr int lowLightCode = 18;
enum class Reading { Usable, LowLight, Unusable };
// Quality code, units code, X, Y, Z of a reply to "M2"; xyz is set unless
// the reading is unusable.
Reading parseXYZ(const QString &reply, double xyz[3]);

} // namespace pr650
