#pragma once
// The fuzz targets' window system: boxes answered OK, nothing to pump; it is
// installed as the target starts.
#include "platform/window_system.h"

const WindowSystem& silent_window_system();
