#pragma once
// The process-wide list of device factories, one of each kind, in the order
// scans try them. Built once on first use; lives until the process ends.

#include <QList>

class GenFactory;

const QList<GenFactory *> &factories();

// The factory with this name() (one of DeviceNames), or null.
GenFactory *findFactory(const char *name);
