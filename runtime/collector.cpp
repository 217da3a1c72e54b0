// collector.cpp - placeholder until the collector lands.
#include "runtime/runtime.h"
