#include "genfactory.h"

GenFactory::~GenFactory() = default;
