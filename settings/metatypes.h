#pragma once
// Records that cross threads in queued signals.

#include "measurement.h"

#include <QMetaType>

Q_DECLARE_METATYPE(Measurement)

void registerMetaTypes();
