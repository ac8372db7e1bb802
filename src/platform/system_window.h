#pragma once
// The window systems of the operating system the program is built for, for
// the program's main to install: the wizard's (the terminal on Linux, dialog
// pages on Windows) and a run from the command line's (the batch backend, with
// the system's requests to end the program: Ctrl-C and the like).
#include "platform/window_system.h"

const WindowSystem& wizard_window_system();
const WindowSystem& command_line_window_system();
