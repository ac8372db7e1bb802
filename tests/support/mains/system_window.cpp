// Tests of the system's own window backend (the terminal, Win32 dialogs).
#include "platform/system_window.h"
#include "support/test_main.h"

int main(int argc, char** argv) { return run_tests(argc, argv, wizard_window_system()); }
