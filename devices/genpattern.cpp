#include "genpattern.h"

GenPattern::~GenPattern() = default;
