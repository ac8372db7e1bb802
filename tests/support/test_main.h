#pragma once
// The body of a test program's main: installs the window system its tests
// run with, then runs them. Each test program links exactly one of the mains
// in support/mains/, which names its window system.
#include "platform/window_system.h"

int run_tests(int argc, char** argv, const WindowSystem& system);
