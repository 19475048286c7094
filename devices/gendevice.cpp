#include "gendevice.h"

GenDevice::~GenDevice() = default;
