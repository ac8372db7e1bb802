#pragma once
// The block test: the unit's test mode and a fixed file streamed through it.
#include "platform/pages.h"

// 1 after the test, an abort or a missing test file; 0 when the unit refused
// the test mode.
int load_block_test(Page page);
