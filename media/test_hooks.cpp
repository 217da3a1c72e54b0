// test_hooks.cpp - the state of the graphics device's test seams
// (media/test_hooks.h); empty outside the test build of the media library.
#ifdef TUMBLEROO_TEST_HOOKS
#include "media/test_hooks.h"

namespace gxtkTestHooks {

gxtkBatchObserver* batchObserver = nullptr;
bool submitDraws = true;
int simulatedAllocationFailures = 0;

}  // namespace gxtkTestHooks
#endif
