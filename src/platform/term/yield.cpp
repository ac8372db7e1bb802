#include "platform/window.h"

// The terminal backend reads keys only while a page waits for them, so there is
// nothing queued to dispatch during an operation.
void yield_to_window() {}
