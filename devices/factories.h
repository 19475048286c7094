#pragma once
// The process-wide list of device factories, one of each kind, in the order
// scans try them. Built once on first use; lives until the process ends.

#include <QList>

class GenFactory;

const QList<GenFactory *> &factories();

// Kinds built above the device layer (the manual meter with its dialog, the
// pattern generators) hand over a maker at start-up, before the list is first
// used; the list still keeps the fixed order of kinds. Returns true so a
// library can register from an initialiser.
using FactoryMaker = GenFactory *(*)();
bool registerFactoryMaker(const char *name, FactoryMaker make);

// The factory with this name() (one of DeviceNames), or null.
GenFactory *findFactory(const char *name);
